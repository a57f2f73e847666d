#!/usr/bin/env bash
# Runs a Windows program under Wine in one of the build tree's own prefixes (never ~/.wine):
#   scripts/wine.sh reg query 'HKCU\Software\Ostrel\Orvalen' /s   what the last run left
#   ORVALEN_BUILD_DIR   build tree (default: <repo>/build)
#   ORVALEN_WINE        run (default: the run's prefix and device) or tests (see wine-env.sh)
#   WINEDEBUG           passed through; default -all
# Without arguments it only makes sure the prefix exists.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
[ "$#" -eq 0 ] && exit 0
if [ "$ORVALEN_WINE" = tests ]; then
  # Wine hands a test's output streams on to processes it starts for the test (a desktop's
  # explorer, the device's programs), which may outlive it: ctest would then wait for them
  # until the test's time-out. The output goes through files, shown once the test ended.
  out=$(mktemp "${TMPDIR:-/tmp}/orvalen-test-out.XXXXXX")
  err=$(mktemp "${TMPDIR:-/tmp}/orvalen-test-err.XXXXXX")
  # At a crowded suite's start Wine now and then ends a program at once, before it ran a
  # line: it failed, said nothing and took under two seconds. Such a start is tried twice more.
  for try in 1 2 3; do
    status=0
    started=$(date +%s%N)
    wine "$@" </dev/null >"$out" 2>"$err" || status=$?
    elapsed_ms=$(( ($(date +%s%N) - started) / 1000000 ))
    [ "$status" -ne 0 ] && [ ! -s "$out" ] && [ ! -s "$err" ] && [ "$elapsed_ms" -lt 2000 ] && [ "$try" -lt 3 ] || break
    echo "wine.sh: $1 ended at once with $status and no output (try $try); starting it again" >&2
    sleep 0.3
  done
  cat "$out"
  cat "$err" >&2
  rm -f "$out" "$err"
  exit "$status"
fi
exec wine "$@"
