#!/usr/bin/env bash
# Screenshots of a framed and a tabbed dialog, the bitmap-font displays, the weekday
# strips, the program's reset countdown, its main window (Alarms tab with three alarms,
# empty, and with the soft-key menu open; the Timers tab with a running timer; the
# Stopwatch tab with laps), the snooze chooser (an alarm's and a timer's), the real
# program's ring screens (the alarm's, the notification-style and the timer's, by day and
# by night), the full-screen clock (built-in and a test skin), a slide of the slide show,
# the Clock tab (built-in and a test skin), the slide show's settings and the recorder
# dialog (idle and recording), and the main window and the recorder on a handheld that
# reports OS 4 (the older shells' tab strip and command bar), on the simulated handheld,
# at 240 x 320 (96 DPI) and at 480 x 640 (192 DPI), each on a virtual screen of that size
# (scripts/screen.sh). The PNGs go to build/screenshots/.
# Kinds named as arguments (framed, tabbed, digits, days, countdown, chooser, ring-alarm,
# ring-timer-night, ...) are the only ones shot.
#   JOBS=n   build jobs (default: all processors)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
export ORVALEN_BUILD_DIR=${ORVALEN_BUILD_DIR:-$repo/build}
build=$ORVALEN_BUILD_DIR

"$here/setup.sh" run
cmake --build "$build" --parallel "${JOBS:-$(nproc)}" --target dialog_showcase screen_showcase clock_fixtures Orvalen

out=$build/screenshots
work=$build/screenshots/work
mkdir -p "$out" "$work"
dialog_showcase=$build/tests/framework/dialog_showcase.exe
screen_showcase=$build/tests/e2e/screen_showcase.exe
pack=$build/tests/framework/fixtures/dialogs-translation.zip
program=$build/programs/Orvalen/device-copy/Orvalen.exe  # as a device gets it
clock_fixtures=$build/tests/e2e/clock-fixtures

export ORVALEN_WINE=run
source "$here/wine-env.sh"
source "$here/screen.sh"
# A device and registry of their own, apart from the run's.
export ORVALEN_DEVICE_ROOT=$(wine_path "$work/device")
export ORVALEN_REGISTRY_ROOT='Software\OrvalenScreenshots'
trap screen_stop EXIT

shoot_one() {  # kind width height dpi
  local kind=$1 width=$2 height=$3 dpi=$4
  local name=$kind-${width}x${height}
  local ready=$work/$name.ready done=$work/$name.done
  local showcase=$dialog_showcase argument=$pack seconds=30 extra=()
  case $kind in
  countdown | clock | mainwnd* | clockpage | slidesettings | chooser* | recorder*) showcase=$screen_showcase ;;
  skin | clockpage-skin) showcase=$screen_showcase extra=("$(wine_path "$clock_fixtures")") ;;
  slide) showcase=$screen_showcase extra=("$(wine_path "$clock_fixtures/pictures")") ;;
  ring-*) showcase=$screen_showcase argument=$program seconds=90
    # Every ring starts on a device of its own; the real program takes a while to ring.
    rm -rf "$work/device"; mkdir -p "$work/device"
    wine reg delete "HKCU\\$ORVALEN_REGISTRY_ROOT" /f >/dev/null 2>&1 || true ;;
  esac
  rm -f "$ready" "$done"
  screen_start "$width" "$height" "$dpi"
  screen_show "$(wine_path "$showcase")" "$kind" "$width" "$height" "$dpi" "$(wine_path "$argument")" \
    "$(wine_path "$ready")" "$(wine_path "$done")" "${extra[@]}"
  screen_shot_when_ready "$ready" "$out/$name.png" "$seconds"
  touch "$done"
  screen_stop
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
shoot recorder-os4 240 320 96
for ring in ring-alarm ring-alarm-night ring-notify ring-notify-night ring-timer ring-timer-night; do
  shoot $ring 240 320 96
done
shoot clock 240 320 96
shoot skin 240 320 96
shoot slide 240 320 96
shoot clockpage 240 320 96
shoot clockpage-skin 240 320 96
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
shoot recorder-os4 480 640 192
for ring in ring-alarm ring-alarm-night ring-notify ring-notify-night ring-timer ring-timer-night; do
  shoot $ring 480 640 192
done
shoot clock 480 640 192
shoot skin 480 640 192
shoot slide 480 640 192
shoot clockpage 480 640 192
shoot clockpage-skin 480 640 192
shoot slidesettings 480 640 192
