#!/usr/bin/env bash
# Screenshots of a framed and a tabbed dialog, the bitmap-font displays, the
# program's reset countdown and the real program's ring screens (the alarm's, the
# notification-style and the timer's, by day and by night) on the simulated handheld,
# at 240 x 320 (96 DPI) and at 480 x 640 (192 DPI), each on a virtual display of the
# screen's size with Wine's X11 driver. The PNGs go to build/screenshots/.
# Kinds named as arguments (framed, tabbed, digits, countdown, ring-alarm, ring-timer-night,
# ...) are the only ones shot.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
export ORVALEN_BUILD_DIR=${ORVALEN_BUILD_DIR:-$repo/build}
build=$ORVALEN_BUILD_DIR

"$here/setup.sh"
cmake --build "$build" --parallel "$(nproc)" --target dialog_showcase screen_showcase Orvalen

out=$build/screenshots
work=$build/screenshots/work
mkdir -p "$out" "$work"
dialog_showcase=$build/tests/framework/dialog_showcase.exe
screen_showcase=$build/tests/e2e/screen_showcase.exe
pack=$build/tests/framework/fixtures/dialogs-translation.zip
program=$build/programs/Orvalen/Orvalen.exe

export ORVALEN_DISPLAY=x11
source "$here/wine-env.sh"
# The device's registry and files live in the build tree.
export ORVALEN_DEVICE_ROOT=$(winepath -w "$work/device" 2>/dev/null)
export ORVALEN_REGISTRY_ROOT='Software\OrvalenScreenshots'

xvfb_pid=
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=
}
trap cleanup EXIT

shoot_one() {  # kind width height dpi
  local kind=$1 width=$2 height=$3 dpi=$4
  local name=$kind-${width}x${height}
  local displayfile ready done
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -s "$displayfile" ] && break; sleep 0.1; done
  export DISPLAY=:$(cat "$displayfile")
  rm -f "$displayfile"
  # Dialog fonts follow the prefix's density; the prefix belongs to this build tree.
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  ready=$work/$name.ready done=$work/$name.done
  rm -f "$ready" "$done"
  local showcase=$dialog_showcase argument=$pack
  case $kind in
  countdown) showcase=$screen_showcase ;;
  ring-*) showcase=$screen_showcase argument=$program
    # Every ring starts on a device of its own.
    rm -rf "$work/device"; mkdir -p "$work/device"
    wine reg delete "HKCU\\$ORVALEN_REGISTRY_ROOT" /f >/dev/null 2>&1 || true ;;
  esac
  wine "$showcase" "$kind" "$width" "$height" "$dpi" "$(winepath -w "$argument")" \
    "$(winepath -w "$ready")" "$(winepath -w "$done")" &
  local program=$!
  # The real program takes a while to start and ring.
  for _ in $(seq 900); do [ -e "$ready" ] && break; sleep 0.1; done
  if [ -e "$ready" ]; then
    import -window root "$out/$name.png" && echo "screenshot: $out/$name.png"
  else
    echo "screenshot: $name did not come up" >&2
  fi
  touch "$done"
  wait "$program" || echo "screenshot: $name ended with an error" >&2
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
  cleanup
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
shoot countdown 240 320 96
for ring in ring-alarm ring-alarm-night ring-notify ring-notify-night ring-timer ring-timer-night; do
  shoot $ring 240 320 96
done
shoot framed 480 640 192
shoot tabbed 480 640 192
shoot digits 480 640 192
shoot countdown 480 640 192
for ring in ring-alarm ring-alarm-night ring-notify ring-notify-night ring-timer ring-timer-night; do
  shoot $ring 480 640 192
done
