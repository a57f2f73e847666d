#!/usr/bin/env bash
# Screenshots of every page of the item editors (alarm sheet, timer dialog, the default
# and chime sound sheets, the vibration cycle dialog) and of the action editors (with
# the screen saver's exceptions) on the simulated handheld, at
# 240 x 320 (96 DPI) and 480 x 640 (192 DPI). The PNGs go to build/screenshots/editors/.
#   JOBS=n   build jobs (default: all processors)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
export ORVALEN_BUILD_DIR=${ORVALEN_BUILD_DIR:-$repo/build}
build=$ORVALEN_BUILD_DIR

"$here/setup.sh" run
cmake --build "$build" --parallel "${JOBS:-$(nproc)}" --target editor_showcase coredll_standin aygshell_standin

out=$build/screenshots/editors
work=$out/work
mkdir -p "$out" "$work"
showcase=$build/tests/e2e/editor_showcase.exe

export ORVALEN_WINE=run
source "$here/wine-env.sh"
source "$here/screen.sh"
# A device and registry of their own, apart from the run's.
export ORVALEN_DEVICE_ROOT=$(wine_path "$work/device")
export ORVALEN_REGISTRY_ROOT='Software\OrvalenEditorScreenshots'
trap screen_stop EXIT
# The device's own libraries: the LED and vibrator functions the pages ask for.
mkdir -p "$work/device/Windows"
cp "$build"/platform/standins/coredll.dll "$build"/platform/standins/aygshell.dll "$work/device/Windows/"

shoot() {  # sheet page width height dpi
  local sheet=$1 page=$2 width=$3 height=$4 dpi=$5
  wanted "$sheet" || return 0
  local name=$sheet-$page-${width}x${height}
  local ready=$work/$name.ready done=$work/$name.done
  rm -f "$ready" "$done"
  screen_start "$width" "$height" "$dpi"
  screen_show "$(wine_path "$showcase")" "$sheet" "$page" "$width" "$height" "$dpi" \
    "$(wine_path "$ready")" "$(wine_path "$done")"
  screen_shot_when_ready "$ready" "$out/$name.png" 40
  touch "$done"
  screen_stop
}

# With names given (say "sms volume"), only those sheets are shot.
sheets=("$@")
wanted() { [ ${#sheets[@]} -eq 0 ] || [[ " ${sheets[*]} " == *" $1 "* ]]; }

for size in "240 320 96" "480 640 192"; do
  for page in 0 1 2 3; do
    shoot alarm $page $size
    shoot timer $page $size
  done
  for page in 0 1; do
    shoot default $page $size
    shoot chime $page $size
  done
  shoot cycle 0 $size
  for editor in exceptions sms execute bluetooth timezone timers volume pin; do
    shoot $editor 0 $size
  done
done
