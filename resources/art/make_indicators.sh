#!/usr/bin/env bash
# Draws the clock's unread indicators with ImageMagick, 64 x 64 on transparency (the
# clock scales them to the screen): unread SMS, missed call, unread e-mail.
#   make_indicators.sh <convert> <out-dir>   ->  indicator_<image id>.png
set -euo pipefail
convert=$1 out=$2
mkdir -p "$out"
common=(-size 64x64 xc:none -stroke '#202020' -strokewidth 3)
"$convert" "${common[@]}" -fill '#FFD54A' -draw 'roundrectangle 4,8 60,44 10,10' \
  -draw 'polygon 16,42 14,58 30,43' -stroke none -fill '#202020' \
  -draw 'circle 18,26 21,26' -draw 'circle 32,26 35,26' -draw 'circle 46,26 49,26' "PNG32:$out/indicator_434.png"
"$convert" "${common[@]}" -fill '#E8503A' -draw 'circle 32,32 32,4' -stroke white -strokewidth 6 \
  -draw 'line 20,20 44,44' -draw 'line 44,20 20,44' "PNG32:$out/indicator_435.png"
"$convert" "${common[@]}" -fill '#7FC4F0' -draw 'rectangle 4,14 60,52' -fill none \
  -draw 'polyline 4,14 32,36 60,14' "PNG32:$out/indicator_436.png"
