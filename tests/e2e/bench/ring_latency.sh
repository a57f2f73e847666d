#!/bin/bash
# Rings an alarm, then a timer, through the real program ORVALEN_RINGS times each (24 by default) on a test
# device that sees no host audio device and prints the ring road's times and the load.
# Build first: cmake --build build --target ring_latency_bench
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../../.." && pwd)
build=${ORVALEN_BUILD:-$source_dir/build}
export ORVALEN_WINE=tests ORVALEN_SOURCE_DIR=$source_dir ORVALEN_BINARY_DIR=$build
exec "$source_dir/scripts/wine.sh" "$build/tests/e2e/ring_latency_bench.exe" "$@"
