#!/usr/bin/env bash
# Screenshots of the device's Today screen with the Today item: no items, one, several,
# the popup open, the command menu open and an alarm's actions open; in English and in
# German (the texts the real program writes from the test language pack); at 240 x 320
# (96 DPI) and at 480 x 640 (192 DPI), each on a virtual screen of that size
# (scripts/screen.sh). The PNGs go to build/screenshots/today/.
#   JOBS=n   build jobs (default: all processors)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
export ORVALEN_BUILD_DIR=${ORVALEN_BUILD_DIR:-$repo/build}
build=$ORVALEN_BUILD_DIR

"$here/setup.sh" run
cmake --build "$build" --parallel "${JOBS:-$(nproc)}" --target today_showcase

out=$build/screenshots/today
work=$build/screenshots/today-work
rm -rf "$work"
mkdir -p "$out" "$work"
showcase=$build/tests/today/today_showcase.exe
pack=$build/tests/today/german-translation.zip
locales=$build/tests/today/locale

export ORVALEN_WINE=run
source "$here/wine-env.sh"
source "$here/screen.sh"
# A device and registry of their own, apart from the run's.
export ORVALEN_DEVICE_ROOT=$(wine_path "$work/device")
export ORVALEN_REGISTRY_ROOT='Software\OrvalenTodayScreenshots'
trap screen_stop EXIT

shoot() {  # scene language width height dpi
  local scene=$1 language=$2 width=$3 height=$4 dpi=$5
  local name=$scene-$language-${width}x${height}
  local ready=$work/$name.ready done=$work/$name.done
  rm -f "$ready" "$done"
  screen_start "$width" "$height" "$dpi"
  local shown=("$(wine_path "$showcase")" "$scene" "$width" "$height" "$dpi" "$language" "$(wine_path "$pack")"
    "$(wine_path "$ready")" "$(wine_path "$done")")
  # A German device: Wine takes its locale (dates, day names) from the one it starts in;
  # only Wine gets it, the shell itself has no such locale.
  if [ "$language" = de ] && [ -d "$locales/de_DE.UTF-8" ]; then
    wine() { env LOCPATH="$locales" LC_ALL=de_DE.UTF-8 wine "$@"; }
    screen_show "${shown[@]}"
    unset -f wine
  else
    screen_show "${shown[@]}"
  fi
  # The first scene of a language runs the program once to write its texts: a long wait.
  screen_shot_when_ready "$ready" "$out/$name.png" 90
  touch "$done"
  screen_stop
}

for size in "240 320 96" "480 640 192"; do
  for language in en de; do
    for scene in none one several popup menu submenu; do
      # shellcheck disable=SC2086
      shoot "$scene" "$language" $size
    done
  done
done
