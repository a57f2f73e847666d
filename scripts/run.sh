#!/usr/bin/env bash
# Sets up if needed, builds and starts Orvalen with the given command text. Without
# a display it runs on a virtual one; a screenshot is saved to build/screenshot.png.
# The program ends by itself once it is idle.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
export ORVALEN_BUILD_DIR=${ORVALEN_BUILD_DIR:-$repo/build}
build=$ORVALEN_BUILD_DIR

"$here/setup.sh"
cmake --build "$build" --parallel "$(nproc)"

xvfb_pid=
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 480x640x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -s "$displayfile" ] && break; sleep 0.1; done
  export DISPLAY=:$(cat "$displayfile")
  rm -f "$displayfile"
fi

export ORVALEN_DISPLAY=x11
source "$here/wine-env.sh"
# The simulated handheld lives in build/device; its \Windows holds the launcher, the
# notification service and the stand-ins for the handheld's own libraries, as the
# operating system's own programs would be on a device.
device=$build/device
mkdir -p "$device/Windows"
cp -f "$build/platform/launcher/OrvalenStartup.exe" "$build/platform/service/OrvalenDeviceServices.exe" \
  "$build/platform/standins/coredll.dll" "$build/platform/standins/aygshell.dll" "$device/Windows/"
export ORVALEN_DEVICE_ROOT="Z:${device//\//\\}"
wine "$build/programs/Orvalen/Orvalen.exe" "$@" &
program=$!
sleep 3
import -window root "$build/screenshot.png" && echo "run: screenshot saved to $build/screenshot.png"
wait "$program" || true
# Let the prefix's wineserver go before its display does.
wineserver -w || true
