#!/usr/bin/env bash
# Screenshots of the main-menu popup (over the main window), every page of the options
# sheet, the snooze list and the about page on the simulated handheld, at 240 x 320
# (96 DPI) and 480 x 640 (192 DPI). The PNGs go to build/screenshots/options/.
# Screens named as arguments (popup, options-3, snooze, about) are the only ones shot.
#   JOBS=n   build jobs (default: all processors)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
showcase_target=options_showcase shots_folder=options registry_root='Software\OrvalenOptionsScreenshots'
source "$here/showcase-shots.sh"

wanted=("$@")
shoot() {  # screen page width height dpi
  local name=$1
  [ "$1" = options ] && name=options-$2
  if [ ${#wanted[@]} -gt 0 ] && [[ " ${wanted[*]} " != *" $name "* ]]; then return; fi
  shoot_showcase "$name" "$@"
}

for size in "240 320 96" "480 640 192"; do
  shoot popup 0 $size
  for page in 0 1 2 3 4 5 6 7; do
    shoot options $page $size
  done
  shoot snooze 0 $size
  shoot about 0 $size
done
