#!/usr/bin/env bash
# Screenshots of the device's Today screen with the Today item: no items, one, several,
# the popup open, the command menu open and an alarm's actions open; in English and in
# German (the texts the real program writes from the screenshots' German pack, the
# dates in Wine's German locale where the build made it); at 240 x 320
# (96 DPI) and at 480 x 640 (192 DPI), each on a virtual screen of that size
# (scripts/screen.sh) and a fresh device (scripts/shots.sh). The PNGs go to
# build/screenshots/today/, named <scene>-<en|de>-<size>.png. Ends with 1, naming them,
# when shots did not come up.
#   JOBS=n   build jobs (default: all processors)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
export ORVALEN_BUILD_DIR=${ORVALEN_BUILD_DIR:-$repo/build}
build=$ORVALEN_BUILD_DIR
step_tag=today-screenshots
source "$here/steps.sh"

"$here/setup.sh" run
step "building the Today showcase and the device's programs (first time: a few minutes)" \
  cmake --build "$build" --parallel "${JOBS:-$(nproc)}" --target today_showcase orvalen_run framework_fixtures

# Both languages at once: the shots name theirs.
ORVALEN_SHOTS_LANGUAGE=en shots_folder=today shots_registry='Software\OrvalenTodayScreenshots'
source "$here/shots.sh"
showcase=$build/tests/today/today_showcase.exe
german_pack=$shots_german_pack

shoot() {  # scene language width height dpi
  local scene=$1 language=$2 width=$3 height=$4 dpi=$5
  local name=$scene-$language-${width}x${height}
  shot_prepare "$name"
  shot_language=$language
  # The program runs once on the device to write its texts before the scene is up.
  shot_take "$out/$name.png" 90 "$width" "$height" "$dpi" "$(wine_path "$showcase")" "$scene" \
    "$width" "$height" "$dpi" "$language" "$(wine_path "$german_pack")" \
    "$(wine_path "$shot_ready")" "$(wine_path "$shot_done")"
}

for size in "240 320 96" "480 640 192"; do
  for language in en de; do
    for scene in none one several popup menu submenu; do
      # shellcheck disable=SC2086
      shoot "$scene" "$language" $size
    done
  done
done
shots_end
