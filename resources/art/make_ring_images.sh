#!/usr/bin/env bash
# Draws the pictures of the ring screens with ImageMagick, at 192 DPI (the program
# scales them to the screen): the two round-cornered buttons (a cross for dismiss and
# close, a circling arrow for snooze and restart) normal and pressed, the bell and the
# hourglass beside the title, and the slide-to-dismiss knob, its drop target and the
# knob lying over the target.
#   make_ring_images.sh <convert> <out-dir>   ->  ring_<image id>.png
set -euo pipefail
convert=$1 out=$2
mkdir -p "$out"
W=200 H=110 R=22  # button size and corner radius

# A button: id, top colour, bottom colour, symbol drawing.
button() {
  "$convert" -size ${W}x${H} gradient:"$2"-"$3" \
    \( -size ${W}x${H} xc:black -fill white -draw "roundrectangle 0,0 $((W - 1)),$((H - 1)) $R,$R" \) \
    -alpha off -compose CopyOpacity -composite -compose Over \
    -fill none -stroke "#FFFFFF80" -strokewidth 3 -draw "roundrectangle 2,2 $((W - 3)),$((H - 3)) $((R - 2)),$((R - 2))" \
    -stroke white -strokewidth 12 -draw "$4" "$out/ring_$1.png"
}
cross="line 78,33 122,77 line 122,33 78,77"
# Most of a circle with an arrow head at its upper left end.
again="fill none arc 72,27 128,83 -40,200 stroke-width 1 fill white polygon 86,22 90,48 62,40"
button 354 "#E0463C" "#8E1712" "$cross"
button 355 "#8E1712" "#5A0C09" "$cross"
button 358 "#3F8FE0" "#14508E" "$again"
button 359 "#14508E" "#0B325A" "$again"

# The bell (alarms) and the hourglass (timers), 64 pixels square.
"$convert" -size 64x64 xc:none -fill "#F2B705" -stroke "#8A6A00" -strokewidth 3 \
  -draw "path 'M 12,48 C 18,40 16,14 32,12 C 48,14 46,40 52,48 Z'" \
  -draw "circle 32,54 32,59" -draw "line 32,5 32,12" "$out/ring_360.png"
"$convert" -size 64x64 xc:none -fill "#D7E9FA" -stroke "#1F5A96" -strokewidth 3 \
  -draw "polygon 16,8 48,8 34,32 48,56 16,56 30,32" \
  -stroke none -fill "#E8A317" -draw "polygon 22,50 42,50 32,40" \
  -stroke "#1F5A96" -strokewidth 5 -draw "line 12,6 52,6 line 12,58 52,58" "$out/ring_371.png"

# The knob: a round-ended bar with an arrow pointing left; over the target it turns green.
knob() {  # id, top colour, bottom colour
  "$convert" -size ${W}x${H} gradient:"$2"-"$3" \
    \( -size ${W}x${H} xc:black -fill white -draw "roundrectangle 0,0 $((W - 1)),$((H - 1)) 54,54" \) \
    -alpha off -compose CopyOpacity -composite -compose Over \
    -fill white -stroke none -draw "polygon 62,55 110,25 110,85" -draw "rectangle 106,45 146,65" "$out/ring_$1.png"
}
knob 373 "#5A6B7D" "#2B3846"
knob 377 "#4CC24C" "#1E7A1E"
# The target: a sunken slot with a cross where the knob is to be put.
"$convert" -size ${W}x${H} xc:none -fill "#00000030" -stroke "#7F8C99" -strokewidth 4 \
  -draw "roundrectangle 2,2 $((W - 3)),$((H - 3)) 52,52" \
  -stroke "#7F8C99" -strokewidth 10 -draw "$cross" "$out/ring_375.png"
