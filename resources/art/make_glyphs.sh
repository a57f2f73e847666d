#!/usr/bin/env bash
# Draws the Start-menu icons of the icon library with ImageMagick: a white glyph on a
# rounded tile of its own colour, each an icon with 16, 32 and 64 pixel images.
#   make_glyphs.sh <convert> <out-dir>   ->  glyph_<resource id>.ico
set -euo pipefail
convert=$1 out=$2
mkdir -p "$out"
S=128  # the drawing canvas; the icon sizes are averaged down from it

args=()
tile() { args+=(-fill "$1" -draw "roundrectangle 4,4 123,123 22,22"); }
shape() { args+=(-fill "$1" -stroke none -draw "$2"); }
line() { # colour, width, drawing
  args+=(-fill none -stroke "$1" -strokewidth "$2" -draw "$3" -stroke none)
}
# A small green badge with a plus, bottom right: "add".
plus_badge() {
  shape "#1E8E3E" "circle 96,96 96,124"
  line white 8 "line 96,80 96,112"
  line white 8 "line 80,96 112,96"
}
clock_face() { # centre x, y, radius
  shape white "circle $1,$2 $1,$(($2 + $3))"
  line "#203040" 7 "line $1,$2 $1,$(($2 - $3 * 2 / 3))"
  line "#203040" 7 "line $1,$2 $(($1 + $3 / 2)),$2"
  shape "#203040" "circle $1,$2 $1,$(($2 + 5))"
}
bell() {
  shape white "path 'M 64,22 C 38,22 36,48 36,70 L 26,92 L 102,92 L 92,70 C 92,48 90,22 64,22 Z'"
  shape white "circle 64,100 64,110"
  shape white "circle 64,20 64,26"
}
hourglass() {
  shape white "rectangle 34,20 94,28"
  shape white "rectangle 34,100 94,108"
  line white 7 "polyline 42,28 42,40 60,64 42,88 42,100"
  line white 7 "polyline 86,28 86,40 68,64 86,88 86,100"
  shape white "polygon 48,42 80,42 64,60"
  shape white "polygon 64,76 84,96 44,96"
}

glyph_art() { # <resource id>: adds the drawing of the icon to args
  case $1 in
  100) tile "#1F5FA8"  # the program: an alarm clock
       shape white "circle 32,32 32,48"; shape white "circle 96,32 96,48"
       line white 8 "line 40,104 30,116"; line white 8 "line 88,104 98,116"
       clock_face 64 68 40 ;;
  101) tile "#E07B00"; bell ;;  # alarms
  102) tile "#2E8B57"; hourglass ;;  # timers
  103) tile "#00838F"  # start stopwatch
       shape white "rectangle 56,12 72,26"; line white 7 "line 92,30 102,20"
       clock_face 64 72 42 ;;
  411) tile "#E07B00"; bell; plus_badge ;;  # add alarm
  412) tile "#2E8B57"; hourglass; plus_badge ;;  # add timer
  415) tile "#6A3FA0"  # cancel snooze: "Zz", struck through
       line white 9 "polyline 24,30 60,30 24,76 60,76"
       line white 7 "polyline 68,60 96,60 68,96 96,96"
       line "#FF5050" 10 "line 22,106 106,22" ;;
  416) tile "#37474F"  # start slideshow: a picture
       shape white "rectangle 20,28 108,100"
       shape "#8FC8F0" "rectangle 26,34 102,94"
       shape "#3C8C3C" "polygon 26,94 52,60 72,82 84,70 102,94"
       shape "#FFD84D" "circle 84,48 84,56" ;;
  183) tile "#1F5FA8"  # the program's menu: a list
       for y in 36 64 92; do shape white "circle 30,$y 30,$((y + 6))"; shape white "rectangle 44,$((y - 5)) 104,$((y + 5))"; done ;;
  417) tile "#1F5FA8"; clock_face 64 64 46 ;;  # the program's folder
  *) echo "make_glyphs: no icon $1" >&2; return 1 ;;
  esac
}

work=$out/glyph-work
mkdir -p "$work"
for id in 100 101 102 103 183 411 412 415 416 417; do
  args=()
  glyph_art "$id"
  "$convert" -size ${S}x${S} xc:none "${args[@]}" "PNG32:$work/$id.png"
  for size in 64 32 16; do
    "$convert" "$work/$id.png" -filter box -resize ${size}x${size} "PNG32:$work/$id-$size.png"
  done
  "$convert" "$work/$id-16.png" "$work/$id-32.png" "$work/$id-64.png" "$out/glyph_$id.ico"
done
rm -rf "$work"
