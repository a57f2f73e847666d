#!/usr/bin/env bash
# Draws the main-menu popup's art with ImageMagick: the large icons of its cells (16, 32,
# 48 and 96 pixel images, drawn on a 192-pixel canvas and averaged down), the cells'
# background picture and the about page's picture.
#   make_menu_art.sh <convert> <out-dir>  ->  menu_<id>.ico, menu_423.png, about_182.bmp
set -euo pipefail
convert=$1 out=$2
mkdir -p "$out"

args=()
shape() { args+=(-fill "$1" -stroke none -draw "$2"); }
line() { args+=(-fill none -stroke "$1" -strokewidth "$2" -draw "$3" -stroke none); }

about() {
  shape "#2060C0" "circle 96,96 96,12"
  shape "#FFFFFF" "circle 96,54 96,40"
  shape "#FFFFFF" "rectangle 82,78 110,160"
}
gear() {
  shape "#606870" "circle 96,96 96,30"
  for a in 0 45 90 135; do
    args+=(-fill "#606870" -draw "translate 96,96 rotate $a rectangle -16,-86 16,86")
  done
  shape "#D8DCE0" "circle 96,96 96,66"
  shape "#606870" "circle 96,96 96,80"
}
alarm_clock() {
  shape "#C03020" "circle 40,40 40,14"
  shape "#C03020" "circle 152,40 152,14"
  line "#404040" 12 "line 52,172 68,150"
  line "#404040" 12 "line 140,172 124,150"
  shape "#F2B01E" "circle 96,104 96,24"
  shape "#FFFFFF" "circle 96,104 96,38"
  line "#303030" 10 "line 96,104 96,60"
  line "#303030" 10 "line 96,104 128,104"
}

icon_art() {
  case $1 in
  292) about ;;
  347) gear ;;
  425) alarm_clock ;;
  *) echo "make_menu_art: no icon $1" >&2; return 1 ;;
  esac
}

work=$out/menu-art-work
mkdir -p "$work"
for id in 292 347 425; do
  args=()
  icon_art "$id"
  "$convert" -size 192x192 xc:none "${args[@]}" "PNG32:$work/$id.png"
  sizes=()
  for size in 96 48 32 16; do
    "$convert" "$work/$id.png" -filter box -resize ${size}x${size} "PNG32:$work/$id-$size.png"
    sizes+=("$work/$id-$size.png")
  done
  "$convert" "${sizes[@]}" "$out/menu_$id.ico"
done
# The cell: a translucent square with an opaque rim; the highlighted cell turns the rim
# (alpha 200 and more) white.
"$convert" -size 128x128 xc:none -fill "#203050A0" -stroke "#5078B0FF" -strokewidth 6 \
  -draw "roundrectangle 4,4 123,123 18,18" "PNG32:$out/menu_423.png"
# The about page's picture: a 24-bit bitmap.
"$convert" -size 140x56 gradient:"#1E3C78"-"#5A8CD2" -fill white -stroke none \
  -draw "circle 28,28 28,8" -fill "#F2B01E" -draw "circle 28,28 28,14" \
  -fill white -draw "rectangle 56,22 132,26" -draw "rectangle 56,32 112,36" "BMP3:$out/about_182.bmp"
rm -rf "$work"
