# Sourced by the screenshot scripts of showcase programs: builds the showcase, makes a
# device and registry of its own with the LED and vibrator libraries, and defines
#   shoot_showcase <name> <screen> <page> <width> <height> <dpi>
# which shows the showcase's screen on a virtual screen of that size and saves
# <out>/<name>-<width>x<height>.png once the showcase says it is ready.
# Set before sourcing: here (the scripts folder), showcase_target, shots_folder (under
# build/screenshots), registry_root.
repo=$(dirname "$here")
export ORVALEN_BUILD_DIR=${ORVALEN_BUILD_DIR:-$repo/build}
build=$ORVALEN_BUILD_DIR

"$here/setup.sh" run
cmake --build "$build" --parallel "${JOBS:-$(nproc)}" --target "$showcase_target" coredll_standin aygshell_standin

out=$build/screenshots/$shots_folder
work=$out/work
mkdir -p "$out" "$work"
showcase=$build/tests/e2e/$showcase_target.exe

export ORVALEN_WINE=run
source "$here/wine-env.sh"
source "$here/screen.sh"
# A device and registry of their own, apart from the run's.
export ORVALEN_DEVICE_ROOT=$(wine_path "$work/device")
export ORVALEN_REGISTRY_ROOT=$registry_root
trap screen_stop EXIT
# The device's own libraries: the LED and vibrator functions the pages ask for.
mkdir -p "$work/device/Windows"
cp "$build"/platform/standins/coredll.dll "$build"/platform/standins/aygshell.dll "$work/device/Windows/"

shoot_showcase() {  # name screen page width height dpi
  local name=$1-$4x$5 screen=$2 page=$3 width=$4 height=$5 dpi=$6
  local ready=$work/$name.ready done=$work/$name.done
  rm -f "$ready" "$done"
  screen_start "$width" "$height" "$dpi"
  screen_show "$(wine_path "$showcase")" "$screen" "$page" "$width" "$height" "$dpi" \
    "$(wine_path "$ready")" "$(wine_path "$done")"
  screen_shot_when_ready "$ready" "$out/$name.png" 40
  touch "$done"
  screen_stop
}
