#!/usr/bin/env bash
# Screenshots of a framed and a tabbed dialog, the bitmap-font displays, the weekday
# strips, the program's reset countdown, its main window (Alarms tab with three alarms,
# empty, and with the soft-key menu open; the Timers tab with a running timer; the
# Stopwatch tab with laps), the snooze chooser (an alarm's and a timer's), the real
# program's ring screens (the alarm's, the notification-style and the timer's, by day and
# by night), the full-screen clock (built-in and a test skin), a slide of the slide show
# (and a photo a little larger than the screen in each of the "Size" modes that fit it),
# the Clock tab (built-in, a test skin and its tap-and-hold menu), the slide show's settings
# and the recorder dialog (idle, recording, and a recording that ran out of room), and the main window and the recorder on a
# handheld that reports OS 4 (the older shells' tab strip and command bar), on the simulated
# handheld, at 240 x 320 (96 DPI) and at 480 x 640 (192 DPI), each on a virtual screen of that size
# (scripts/screen.sh) and a fresh device (scripts/shots.sh). The PNGs go to
# build/screenshots/ (in German, ORVALEN_SHOTS_LANGUAGE=de: build/screenshots/de/).
# Kinds named as arguments (framed, tabbed, digits, days, countdown, chooser, ring-alarm,
# ring-timer-night, ...) are the only ones shot. Ends with 1, naming them, when shots did
# not come up.
#   JOBS=n   build jobs (default: all processors)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
export ORVALEN_BUILD_DIR=${ORVALEN_BUILD_DIR:-$repo/build}
build=$ORVALEN_BUILD_DIR
step_tag=dialog-screenshots
source "$here/steps.sh"

"$here/setup.sh" run
step "building the showcases and the device's programs (first time: a few minutes)" \
  cmake --build "$build" --parallel "${JOBS:-$(nproc)}" \
  --target dialog_showcase screen_showcase clock_fixtures orvalen_run framework_fixtures

shots_folder= shots_registry='Software\OrvalenScreenshots'
source "$here/shots.sh"
dialog_showcase=$build/tests/framework/dialog_showcase.exe
screen_showcase=$build/tests/e2e/screen_showcase.exe
dialog_pack=$build/tests/framework/fixtures/dialogs-translation.zip
clock_fixtures=$build/tests/e2e/clock-fixtures

shoot_one() {  # kind width height dpi
  local kind=$1 width=$2 height=$3 dpi=$4
  local name=$kind-${width}x${height}
  local showcase=$dialog_showcase argument=$dialog_pack seconds=30 extra=() hands=
  case $kind in clock | skin | clockpage*) hands=hands ;; esac
  case $kind in
  countdown | clock | mainwnd* | clockpage | clockpage-menu | slidesettings | chooser* | recorder*) showcase=$screen_showcase ;;
  skin | clockpage-skin) showcase=$screen_showcase extra=("$(wine_path "$clock_fixtures")") ;;
  slide) showcase=$screen_showcase extra=("$(wine_path "$clock_fixtures/pictures")") ;;
  slide-*) showcase=$screen_showcase extra=("$(wine_path "$clock_fixtures/pictures-${width}x${height}")") ;;
  # The real program rings on the device; it takes a while to start.
  ring-*) showcase=$screen_showcase argument=$shots_program seconds=90 ;;
  esac
  shot_prepare "$name" $hands
  shot_take "$out/$name.png" "$seconds" "$width" "$height" "$dpi" "$(wine_path "$showcase")" "$kind" \
    "$width" "$height" "$dpi" "$(wine_path "$argument")" "$(wine_path "$shot_ready")" "$(wine_path "$shot_done")" \
    "${extra[@]}"
}

# With names given (say "ring-timer"), only those kinds are shot.
kinds=("$@")
shoot() {
  if [ ${#kinds[@]} -gt 0 ] && [[ " ${kinds[*]} " != *" $1 "* ]]; then return; fi
  shoot_one "$@"
}

shoot framed 240 320 96
shoot tabbed 240 320 96
shoot digits 240 320 96
shoot days 240 320 96
shoot countdown 240 320 96
shoot mainwnd 240 320 96
shoot mainwnd-empty 240 320 96
shoot mainwnd-menu 240 320 96
shoot mainwnd-timers 240 320 96
shoot mainwnd-stopwatch 240 320 96
shoot mainwnd-os4 240 320 96
shoot chooser 240 320 96
shoot chooser-timer 240 320 96
shoot recorder 240 320 96
shoot recorder-recording 240 320 96
shoot recorder-ended 240 320 96
shoot recorder-os4 240 320 96
shoot recorder-ended-os4 240 320 96
for ring in ring-alarm ring-alarm-night ring-notify ring-notify-night ring-timer ring-timer-night; do
  shoot $ring 240 320 96
done
shoot clock 240 320 96
shoot skin 240 320 96
shoot slide 240 320 96
shoot slide-stretch 240 320 96
shoot slide-fit 240 320 96
shoot slide-smartfill 240 320 96
shoot clockpage 240 320 96
shoot clockpage-skin 240 320 96
shoot clockpage-menu 240 320 96
shoot slidesettings 240 320 96
shoot framed 480 640 192
shoot tabbed 480 640 192
shoot digits 480 640 192
shoot days 480 640 192
shoot countdown 480 640 192
shoot mainwnd 480 640 192
shoot mainwnd-empty 480 640 192
shoot mainwnd-menu 480 640 192
shoot mainwnd-timers 480 640 192
shoot mainwnd-stopwatch 480 640 192
shoot mainwnd-os4 480 640 192
shoot chooser 480 640 192
shoot chooser-timer 480 640 192
shoot recorder 480 640 192
shoot recorder-recording 480 640 192
shoot recorder-ended 480 640 192
shoot recorder-os4 480 640 192
shoot recorder-ended-os4 480 640 192
for ring in ring-alarm ring-alarm-night ring-notify ring-notify-night ring-timer ring-timer-night; do
  shoot $ring 480 640 192
done
shoot clock 480 640 192
shoot skin 480 640 192
shoot slide 480 640 192
shoot slide-stretch 480 640 192
shoot slide-fit 480 640 192
shoot slide-smartfill 480 640 192
shoot clockpage 480 640 192
shoot clockpage-skin 480 640 192
shoot clockpage-menu 480 640 192
shoot slidesettings 480 640 192
shots_end
