#!/usr/bin/env bash
# Drives the run's simulated handheld (build/device, as scripts/run.sh left or runs it)
# from the host, while Orvalen runs on it or between runs:
#   scripts/device.sh time              the device's date, time and power state
#   scripts/device.sh forward <s>       moves the device clock <s> seconds on (negative: back)
#   scripts/device.sh at <hh:mm[:ss]>   sets the device clock to that time of its day
#   scripts/device.sh wake-ups          the wake-ups the device holds: when it starts what
# The host's clock is never touched. Needs a build made by scripts/run.sh.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
export ORVALEN_BUILD_DIR=${ORVALEN_BUILD_DIR:-$repo/build}
build=$ORVALEN_BUILD_DIR
step_tag=device
source "$here/steps.sh"
if [ ! -f "$build/run/manifest.sh" ]; then
  echo "device: FAILED: no run's build in ${build#"$repo"/}; scripts/run.sh makes it" >&2
  exit 1
fi
export ORVALEN_WINE=run
source "$here/wine-env.sh"
source "$build/run/manifest.sh"
if [ ! -f "$run_device_tool" ]; then
  echo "device: FAILED: $run_device_tool is not built; scripts/run.sh builds it" >&2
  exit 1
fi
mkdir -p "$ORVALEN_RUN_DEVICE"
# The tool's exit code is the script's: 2 for a bad command, 1 when the device refused.
status=0
wine "$run_device_tool" "$@" || status=$?
[ "$status" -eq 0 ] || [ "$status" -eq 2 ] || echo "device: FAILED: the device refused (exit $status)" >&2
exit "$status"
