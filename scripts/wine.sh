#!/usr/bin/env bash
# Runs a Windows program under Wine in one of the build tree's own prefixes (never ~/.wine):
#   scripts/wine.sh reg query 'HKCU\Software\Ostrel\Orvalen' /s   what the last run left
#   scripts/wine.sh --start-mark <program> ...   (tests) the program marks its start
#   ORVALEN_BUILD_DIR   build tree (default: <repo>/build)
#   ORVALEN_WINE        run (default: the run's prefix and device) or tests (see wine-env.sh)
#   WINEDEBUG           passed through; default -all (tests: Wine's error channels)
# Without arguments it only makes sure the prefix exists.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
[ "$#" -eq 0 ] && exit 0
if [ "$ORVALEN_WINE" = tests ]; then
  # A program built with the tests' start (tests/support/ProcessStart.cpp) makes the file
  # named in ORVALEN_START_MARK_FILE before any code of its own runs. Ended without that
  # mark, whatever its exit code, it never ran a line. Wine's words tell why: its refusal
  # (the shared user data's place was taken, see scripts/wine-bin/wine) is written down in
  # $start_log with what Wine said, and the start made again; any other start that never
  # began (a library the program needs is missing) fails at once, as the test's failure. A
  # program that began and then failed is never started again.
  refusal="failed to map the shared user data"
  marked=0
  if [ "$1" = --start-mark ]; then marked=1; shift; fi
  start_log=$ORVALEN_BUILD_DIR/logs/refused-starts.log
  mkdir -p "$(dirname "$start_log")"
  # Starts the device layer could not make are written there too (platform/core/process/RefusedStarts.cpp),
  # with this run's name, under which what the program said follows.
  export ORVALEN_START_LOG ORVALEN_START_LOG_RUN
  ORVALEN_START_LOG=$(wine_path "$start_log")
  ORVALEN_START_LOG_RUN="$(basename "$1") $$"
  # Wine hands a test's output streams on to processes it starts for the test (a desktop's
  # explorer, the device's programs), which may outlive it: ctest would then wait for them
  # until the test's time-out. The output goes through files, shown once the test ended.
  out=$(mktemp "${TMPDIR:-/tmp}/orvalen-test-out.XXXXXX")
  err=$(mktemp "${TMPDIR:-/tmp}/orvalen-test-err.XXXXXX")
  mark=$out.started
  trap 'rm -f "$out" "$err" "$mark"' EXIT
  [ $marked -eq 0 ] || export ORVALEN_START_MARK_FILE="$(wine_path "$mark")"
  unstarted=
  for try in 1 2 3; do
    status=0
    started=$(date +%s%N)
    wine "$@" </dev/null >"$out" 2>"$err" || status=$?
    [ $marked -eq 1 ] && [ ! -e "$mark" ] || break
    if ! grep -qF "$refusal" "$out" "$err"; then
      unstarted="$(basename "$1") never began, and Wine did not refuse its start: it could not load it"
      [ "$status" -ne 0 ] || status=125
      break
    fi
    {
      flock 9
      printf 'refused start %s load %s: %s ended with %s after %s ms without its start mark (try %s)\n' \
        "$(date '+%F %T.%3N')" "$(cut -d' ' -f1-3 /proc/loadavg)" "$*" "$status" \
        $(( ($(date +%s%N) - started) / 1000000 )) "$try"
      sed 's/^/    /' "$out" "$err" | head -n 40
    } 9>>"$start_log" >>"$start_log"
    [ "$try" -lt 3 ] || { [ "$status" -ne 0 ] || status=125; unstarted=refused; break; }
  done
  # A process that Wine itself starts for the program (the desktop's explorer) and that dies
  # at its start leaves only Wine's words in the output (scripts/wine-bin/wine says why); the
  # program's own last refusal is written down already.
  [ "$unstarted" = refused ] || { grep -hF "$refusal" "$out" "$err" || true; } | while read -r words; do
    {
      flock 9
      printf 'refused start %s load %s: a process died at its start in run %s: %s\n' \
        "$(date '+%F %T.%3N')" "$(cut -d' ' -f1-3 /proc/loadavg)" "$ORVALEN_START_LOG_RUN" "$words"
    } 9>>"$start_log" >>"$start_log"
  done
  if grep -F "in run $ORVALEN_START_LOG_RUN:" "$start_log" 2>/dev/null | grep -q '^refused start'; then
    {
      flock 9
      printf '  what run %s said (exit code %s):\n' "$ORVALEN_START_LOG_RUN" "$status"
      sed 's/^/    /' "$out" "$err" | grep -v '^    \[' | head -n 60
    } 9>>"$start_log" >>"$start_log"
  fi
  cat "$out"
  cat "$err" >&2
  if [ -n "$unstarted" ] && [ "$unstarted" != refused ]; then
    echo "wine.sh: $unstarted ($(grep -hm1 -o 'err:module:import_dll.*' "$err" "$out" || echo "exit code $status"))" >&2
  fi
  exit "$status"
fi
exec wine "$@"
