# Sourced by the screenshot scripts of showcase programs: builds the showcase and defines
#   shoot_showcase <name> <screen> <page> <width> <height> <dpi>
# which shows the showcase's screen on a virtual screen of that size, on a fresh device
# (scripts/shots.sh), and saves <out>/<name>-<width>x<height>.png once the showcase says it
# is ready. Set before sourcing: here (the scripts folder), showcase_target, shots_folder
# (under build/screenshots), shots_registry; step_tag names the script in its lines.
repo=$(dirname "$here")
export ORVALEN_BUILD_DIR=${ORVALEN_BUILD_DIR:-$repo/build}
build=$ORVALEN_BUILD_DIR
source "$here/steps.sh"

"$here/setup.sh" run
step "building $showcase_target and the device's programs (first time: a few minutes)" \
  cmake --build "$build" --parallel "${JOBS:-$(nproc)}" --target "$showcase_target" orvalen_run framework_fixtures

source "$here/shots.sh"
showcase=$build/tests/e2e/$showcase_target.exe

shoot_showcase() {  # name screen page width height dpi
  local name=$1-$4x$5 screen=$2 page=$3 width=$4 height=$5 dpi=$6
  shot_prepare "$name"
  shot_take "$out/$name.png" 40 "$width" "$height" "$dpi" "$(wine_path "$showcase")" "$screen" "$page" \
    "$width" "$height" "$dpi" "$(wine_path "$shot_ready")" "$(wine_path "$shot_done")"
}
