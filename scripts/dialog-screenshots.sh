#!/usr/bin/env bash
# Screenshots of a framed and a tabbed dialog, the bitmap-font displays and the
# program's reset countdown on the simulated handheld, at 240 x 320 (96 DPI) and at
# 480 x 640 (192 DPI), each on a virtual display of the screen's size with Wine's X11
# driver. The PNGs go to build/screenshots/.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
export ORVALEN_BUILD_DIR=${ORVALEN_BUILD_DIR:-$repo/build}
build=$ORVALEN_BUILD_DIR

"$here/setup.sh"
cmake --build "$build" --parallel "${ORVALEN_BUILD_JOBS:-$(nproc)}" --target dialog_showcase screen_showcase

out=$build/screenshots
work=$build/screenshots/work
mkdir -p "$out" "$work"
dialog_showcase=$build/tests/framework/dialog_showcase.exe
screen_showcase=$build/tests/e2e/screen_showcase.exe
pack=$build/tests/framework/fixtures/dialogs-translation.zip

export ORVALEN_DISPLAY=x11
source "$here/wine-env.sh"
# The device's registry and files live in the build tree.
export ORVALEN_DEVICE_ROOT=$(winepath -w "$work/device" 2>/dev/null)
export ORVALEN_REGISTRY_ROOT='Software\OrvalenScreenshots'

source "$here/screenshot-shoot.sh"

shoot() {  # kind width height dpi
  local kind=$1 width=$2 height=$3 dpi=$4
  local showcase=$dialog_showcase
  [ "$kind" = countdown ] && showcase=$screen_showcase
  screenshot_take "$kind-${width}x${height}" "$width" "$height" "$dpi" "$showcase" "$kind" "$width" "$height" "$dpi" \
    "$(winepath -w "$pack")"
}

shoot framed 240 320 96
shoot tabbed 240 320 96
shoot digits 240 320 96
shoot countdown 240 320 96
shoot framed 480 640 192
shoot tabbed 480 640 192
shoot digits 480 640 192
shoot countdown 480 640 192
