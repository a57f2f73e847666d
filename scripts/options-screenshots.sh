#!/usr/bin/env bash
# Screenshots of the main-menu popup (over the main window), every page of the options
# sheet, the snooze list, the key capture ("Assign a key") and the about page on the
# simulated handheld, at 240 x 320 (96 DPI) and 480 x 640 (192 DPI), each on a fresh
# device. The PNGs go to build/screenshots/options/ (in German, ORVALEN_SHOTS_LANGUAGE=de: build/screenshots/de/options/).
# "screenshot" also takes the about page's delayed screenshot and has ImageMagick read the
# bitmap it wrote (24-bit, the screen's size) and compare it with the virtual screen's
# picture above the message box that reports it.
# Screens named as arguments (popup, options-3, snooze, keycapture, about, screenshot) are the
# only ones shot.
# Ends with 1, naming them, when shots did not come up.
#   JOBS=n   build jobs (default: all processors)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
showcase_target=options_showcase shots_folder=options shots_registry='Software\OrvalenOptionsScreenshots'
step_tag=options-screenshots
source "$here/showcase-shots.sh"

wanted=("$@")

# The bitmap the about page wrote: 24-bit at the screen's size, and above the message box
# (the top quarter) the same picture as the virtual screen's.
check_screenshot() {  # width height
  local w=$1 h=$2 bmp="$shots_device/My Documents/Orvalen-ver4.3-screenshot.bmp"
  [ -f "$bmp" ] || { echo "screenshot bitmap: none"; return; }
  echo "screenshot bitmap: $(identify -format '%m %w %h %z %r' "$bmp")"
  convert "$bmp" -crop "${w}x$((h / 4))+0+0" "$work/bitmap-top.png"
  convert "$out/screenshot-${w}x$h.png" -crop "${w}x$((h / 4))+0+0" "$work/screen-top.png"
  echo "differing pixels in the top quarter (${w}x$h): $(compare -metric AE -fuzz 3% \
    "$work/bitmap-top.png" "$work/screen-top.png" null: 2>&1)"
  rm -f "$bmp" "$work/bitmap-top.png" "$work/screen-top.png"
}
shoot() {  # screen page width height dpi
  local name=$1
  [ "$1" = options ] && name=options-$2
  if [ ${#wanted[@]} -gt 0 ] && [[ " ${wanted[*]} " != *" $name "* ]]; then return; fi
  shoot_showcase "$name" "$@"
  if [ "$1" = screenshot ]; then check_screenshot "$3" "$4"; fi
}

for size in "240 320 96" "480 640 192"; do
  shoot popup 0 $size
  for page in 0 1 2 3 4 5 6 7; do
    shoot options $page $size
  done
  shoot snooze 0 $size
  shoot keycapture 0 $size
  shoot about 0 $size
  shoot screenshot 0 $size
done
shots_end
