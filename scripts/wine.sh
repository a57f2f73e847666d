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
  status=0
  wine "$@" </dev/null >"$out" 2>"$err" || status=$?
  cat "$out"
  cat "$err" >&2
  rm -f "$out" "$err"
  exit "$status"
fi
exec wine "$@"
