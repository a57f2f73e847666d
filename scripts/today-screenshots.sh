#!/usr/bin/env bash
# Screenshots of the device's Today screen with the Today item: no items, one, several,
# the popup open, the command menu open and an alarm's actions open; in English and in
# German (the texts the real program writes from the test language pack); at 240 x 320
# (96 DPI) and at 480 x 640 (192 DPI), each on a virtual display of the screen's size
# with Wine's X11 driver. The PNGs go to build/screenshots/today/.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
export ORVALEN_BUILD_DIR=${ORVALEN_BUILD_DIR:-$repo/build}
build=$ORVALEN_BUILD_DIR

"$here/setup.sh"
cmake --build "$build" --parallel "${ORVALEN_BUILD_JOBS:-$(nproc)}" --target today_showcase

out=$build/screenshots/today
work=$build/screenshots/today-work
rm -rf "$work"
mkdir -p "$out" "$work"
showcase=$build/tests/today/today_showcase.exe
pack=$build/tests/framework/fixtures/translation.zip

export ORVALEN_DISPLAY=x11
source "$here/wine-env.sh"
export ORVALEN_DEVICE_ROOT=$(winepath -w "$work/device" 2>/dev/null)
export ORVALEN_REGISTRY_ROOT='Software\OrvalenTodayScreenshots'

source "$here/screenshot-shoot.sh"

shoot() {  # scene language width height dpi
  local scene=$1 language=$2 width=$3 height=$4 dpi=$5
  screenshot_take "$scene-$language-${width}x${height}" "$width" "$height" "$dpi" "$showcase" \
    "$scene" "$width" "$height" "$dpi" "$language" "$(winepath -w "$pack")"
}

for size in "240 320 96" "480 640 192"; do
  for language in en de; do
    for scene in none one several popup menu submenu; do
      # shellcheck disable=SC2086
      shoot "$scene" "$language" $size
    done
  done
done
