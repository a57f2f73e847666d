#!/usr/bin/env bash
# Sets up if needed, builds everything and runs the whole test suite under Wine.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
export ORVALEN_BUILD_DIR=${ORVALEN_BUILD_DIR:-$repo/build}
build=$ORVALEN_BUILD_DIR
export ORVALEN_SOURCE_DIR=$repo ORVALEN_BINARY_DIR=$build

"$here/setup.sh"
cmake --build "$build" --parallel "$(nproc)"
"$here/check-library-graph.sh" "$build"

# One warm wineserver for the whole run: each test then starts in a fraction of a second,
# and ctest is not left waiting on pipes that Wine's services inherit.
source "$here/wine-env.sh"
wineserver -p || true  # already running: use it
wine wineboot >/dev/null 2>&1 || true
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

cd "$build"
ctest --output-on-failure --timeout 300 -j "$(nproc)" "$@"
