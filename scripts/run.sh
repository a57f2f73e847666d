#!/usr/bin/env bash
# Sets up if needed, builds the programs a run uses (no test programs) and starts Orvalen
# with the given command text on the simulated handheld. With an X display (DISPLAY set
# and answering) the handheld's screen is a window on it, where the user taps and types,
# and the run lasts until the user ends Orvalen; without one it is a virtual screen of
# this script's own, and the run closes Orvalen's windows after ORVALEN_RUN_SECONDS.
# scripts/device.sh drives the run's device meanwhile (its clock, its wake-ups).
# A line per step. Leaves in build/run/:
#   screenshot.png  the screen when Orvalen's first window is up (or after 10 s)
#   report.txt      exit code, windows shown, notifications, item store: read from the
#                   run's device (build/device, registry in build/wine/prefix-run)
# Ends with the program's exit code.
#   ORVALEN_SCREEN=480x640   the handheld's screen (default 240x320 at 96 DPI; 480x640 is 192 DPI)
#   ORVALEN_RUN_SECONDS=n    without a display: after n s (default 30) the run closes the
#                            program's windows
#   JOBS=n                   build jobs (default: all processors)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
export ORVALEN_BUILD_DIR=${ORVALEN_BUILD_DIR:-$repo/build}
build=$ORVALEN_BUILD_DIR
step_tag=run
source "$here/steps.sh"

screen=${ORVALEN_SCREEN:-240x320}
case $screen in
  240x320) dpi=96 ;;
  480x640) dpi=192 ;;
  *) echo "run: ORVALEN_SCREEN is 240x320 or 480x640" >&2; exit 2 ;;
esac
width=${screen%x*} height=${screen#*x}
screenshot_after=10
limit=${ORVALEN_RUN_SECONDS:-30}
[[ $limit =~ ^[1-9][0-9]*$ ]] || { echo "run: ORVALEN_RUN_SECONDS is a number of seconds above 0" >&2; exit 2; }

"$here/setup.sh" run
step "building the programs a run uses (first time: about 3 min)" \
  cmake --build "$build" --parallel "${JOBS:-$(nproc)}" --target orvalen_run

export ORVALEN_WINE=run
source "$here/wine-env.sh"
source "$build/run/manifest.sh"
source "$here/device-files.sh"
source "$here/screen.sh"
trap screen_stop EXIT
# The user's display, if there is one to show the handheld on.
on_display=
if screen_display_usable; then
  on_display=$DISPLAY
elif [ -n "${DISPLAY:-}" ]; then
  echo "run: the display $DISPLAY does not answer; the run uses a virtual screen of its own"
fi

out=$build/run
run_program() {
  rm -f "$out"/{report.txt,exit-code,screenshot.png,screenshot.wanted,screenshot.taken}
  export ORVALEN_RUN_COMMAND_TEXT="$*"
  # On the user's display the user ends the run (no limit: 0).
  local run_limit=$limit
  [ -z "$on_display" ] || run_limit=0
  screen_show "$(wine_path "$run_watch")" "$(wine_path "$run_program")" \
    "$(wine_path "$out")" "$width" "$height" "$dpi" "$screenshot_after" "$run_limit" \
    >"$out/wine.log" 2>&1
  # The watcher asks for the screenshot when the first window is up, and ends after the program.
  while [ ! -e "$out/exit-code" ] && kill -0 "$screen_desktop_pid" 2>/dev/null; do
    if [ -e "$out/screenshot.wanted" ]; then
      rm -f "$out/screenshot.wanted"
      screen_shot "$out/screenshot.png" || echo "run: the screenshot was not taken" >&2
      touch "$out/screenshot.taken"
      if [ -n "$on_display" ]; then say_how_to_drive; else
        echo "run: screenshot taken; Orvalen ends by itself once nothing needs it (its main window" \
          "closed, nothing ringing), or the run closes its windows after $limit s"
      fi
    fi
    sleep 0.1
  done
  screen_wait_desktop 15 || true
}

say_how_to_drive() {
  cat <<EOF_HELP
run: Orvalen is up in the window "$screen_window" on $on_display ($width x $height):
run:   tap with the mouse, type with the keyboard; Menu > Exit on the main window (or
run:   closing the window) ends Orvalen and with it the run.
run: meanwhile, in another terminal (scripts/device.sh alone lists its commands):
run:   scripts/device.sh time            the device's clock
run:   scripts/device.sh forward 50      moves the device clock 50 s on, to an alarm's minute
run:   scripts/device.sh wake-ups        when the device will start Orvalen for what it keeps
EOF_HELP
}

if [ -n "$on_display" ]; then
  step "showing the handheld's $width x $height screen in a window on $on_display" \
    screen_use_display "$width" "$height" "$dpi"
  device_put_files "$ORVALEN_RUN_DEVICE"
  step "running Orvalen until it is ended on the display" run_program "$@"
else
  step "making a virtual $width x $height screen" screen_start "$width" "$height" "$dpi"
  device_put_files "$ORVALEN_RUN_DEVICE"
  step "running Orvalen (screenshot when its first window is up, or after $screenshot_after s)" run_program "$@"
fi
screen_stop

if [ ! -e "$out/report.txt" ]; then
  echo "run: the run ended without a report; Wine said:" >&2
  tail -n 20 "$out/wine.log" >&2
  exit 1
fi
echo
cat "$out/report.txt"
echo
[ -e "$out/screenshot.png" ] && echo "run: screenshot: ${out#"$repo"/}/screenshot.png"
echo "run: report: ${out#"$repo"/}/report.txt"
echo "run: the registry the run left: scripts/wine.sh reg query 'HKCU\\Software\\Ostrel\\Orvalen' /s"
code=$(cat "$out/exit-code" 2>/dev/null || true)
[[ $code =~ ^[0-9]+$ ]] || exit 1
exit $(( code > 255 ? 1 : code ))
