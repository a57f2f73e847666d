#!/usr/bin/env bash
# Screenshots of every page of the item editors (alarm sheet, one whose sound is missing,
# timer dialog, the default
# and chime sound sheets, the default sheet on a handheld that reports OS 4, the vibration
# cycle dialog) and of the action editors (with
# the screen saver's exceptions) on the simulated handheld, at
# 240 x 320 (96 DPI) and 480 x 640 (192 DPI), each on a fresh device. The PNGs go to
# build/screenshots/editors/ (in German, ORVALEN_SHOTS_LANGUAGE=de: build/screenshots/de/editors/).
# Ends with 1, naming them, when shots did not come up.
#   JOBS=n   build jobs (default: all processors)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
showcase_target=editor_showcase shots_folder=editors shots_registry='Software\OrvalenEditorScreenshots'
step_tag=editor-screenshots
source "$here/showcase-shots.sh"

shoot() {  # sheet page width height dpi
  wanted "$1" || return 0
  shoot_showcase "$1-$2" "$@"
}

# With names given (say "sms volume"), only those sheets are shot.
sheets=("$@")
wanted() { [ ${#sheets[@]} -eq 0 ] || [[ " ${sheets[*]} " == *" $1 "* ]]; }

for size in "240 320 96" "480 640 192"; do
  for page in 0 1 2 3; do
    shoot alarm $page $size
    shoot timer $page $size
  done
  for page in 0 1; do
    shoot default $page $size
    shoot chime $page $size
  done
  # The Sound page of an alarm whose sound is not on the device.
  shoot alarm-lostsound 2 $size
  # On a handheld that reports OS 4: the command bar with "Profiles" and the record button.
  shoot default-os4 0 $size
  shoot cycle 0 $size
  for editor in exceptions sms execute bluetooth timezone timers volume pin; do
    shoot $editor 0 $size
  done
done
shots_end
