#!/usr/bin/env bash
# A test program that Wine cannot load (a library it needs is missing) leaves no start mark,
# yet Wine did not refuse it: it fails at once, started once, with the missing library
# named, and is not written down as a refused start.
#   loader_checks.sh <wine runner> --start-mark <loader probe>
#   (ORVALEN_BUILD_DIR: the build tree, whose logs/refused-starts.log the runner writes)
set -uo pipefail
probe=${!#}
start_log=$ORVALEN_BUILD_DIR/logs/refused-starts.log
refused() { local n; n=$(grep -cF "$(basename "$probe")" "$start_log" 2>/dev/null); echo "${n:-0}"; }
refused_before=$(refused)
status=0
out=$(timeout 60 "$@" 2>&1) || status=$?
fail() { echo "FAIL: a program Wine cannot load: $* (exit code $status); it said:"; echo "$out"; exit 1; }
[ "$status" -ne 124 ] || fail "still running after 60 s"
[ "$status" -ne 0 ] || fail "it ended as if it had succeeded"
[ "$(refused)" -eq "${refused_before:-0}" ] || fail "it was written down as a start Wine refused"
grep -q "never began, and Wine did not refuse its start.*absent_library.dll" <<<"$out" ||
  fail "the failure does not name the missing library"
echo "a program Wine cannot load: exit code $status, started once"
