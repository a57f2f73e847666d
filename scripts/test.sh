#!/usr/bin/env bash
# Sets up if needed, builds everything and runs the whole test suite under Wine, in the
# tests' own Wine prefix. Arguments go to ctest (for example -R <regex>).
#   JOBS=n   build jobs and tests at a time (default: all processors)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
export ORVALEN_BUILD_DIR=${ORVALEN_BUILD_DIR:-$repo/build}
build=$ORVALEN_BUILD_DIR
jobs=${JOBS:-$(nproc)}
step_tag=test
source "$here/steps.sh"

"$here/setup.sh" tests

# Every start Wine refused in this run, the build's listing of test cases included
# (scripts/wine.sh and the device layer write them down); counted at the end.
start_log=$build/logs/refused-starts.log
mkdir -p "$build/logs"
rm -f "$start_log"
refused_starts() {
  local n
  n=$(grep -c '^refused start' "$start_log" 2>/dev/null || true)
  n=${n:-0}
  echo "test: starts Wine refused: $n$([ "$n" -eq 0 ] || echo " (see ${start_log#"$repo"/})")"
  [ -z "${ORVALEN_WINE_LAYOUT:-}" ] || echo "test: Wine started with address randomization: $ORVALEN_WINE_LAYOUT"
}

# One warm wineserver for the whole run, the build's listing of test cases included: each
# program then starts in a fraction of a second, and neither ninja nor ctest is left
# waiting on pipes that Wine's services inherit.
export ORVALEN_WINE=tests
source "$here/wine-env.sh"
wineserver -p || true  # already running: use it
wine wineboot >/dev/null 2>&1 || true
trap 'refused_starts; wineserver -k >/dev/null 2>&1 || true' EXIT

step "building everything (first time: about 8 min)" cmake --build "$build" --parallel "$jobs"
"$here/check-library-graph.sh" "$build"

cd "$build"
# Every case's result and output, for the skips: a skip is no pass, and one that this machine
# does not explain (a fixture the set-up should have fetched) fails the run.
results=$build/logs/ctest-results.xml
rm -f "$results"
status=0
ctest --output-on-failure --timeout 300 -j "$jobs" --output-junit "$results" "$@" || status=$?
if [ -f "$results" ]; then
  python3 "$here/test-skips.py" "$results" || status=1
fi
exit "$status"
