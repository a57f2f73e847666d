#!/usr/bin/env bash
# Draws the Today item's icons with ImageMagick, each an icon with a 16 and a 32 pixel
# image drawn on a 128-pixel canvas and averaged down:
#   make_icons.sh <convert> <out-dir>   ->  today_<icon id>.ico
set -euo pipefail
convert=$1 out=$2
mkdir -p "$out"
S=128

args=()
draw() { args+=(-fill "$1" -stroke "${3:-none}" -strokewidth "${4:-0}" -draw "$2" -stroke none); }

# A round clock face with hands: colour of the face, of the rim.
clock_face() {
  draw "$1" "circle 64,68 64,24" "$2" 10
  draw none "stroke-linecap round line 64,68 64,38" "#202020" 9
  draw none "stroke-linecap round line 64,68 86,80" "#202020" 9
  draw "#202020" "circle 64,68 64,74"
}
# A bell: body colour, outline colour.
bell() {
  draw "$1" "path 'M 64,14 C 36,14 32,44 30,70 C 28,86 18,92 14,100 L 114,100 C 110,92 100,86 98,70 C 96,44 92,14 64,14 Z'" "$2" 6
  draw "$2" "circle 64,110 64,100"
  draw "$2" "circle 64,12 64,6"
}
# An hourglass: glass colour, sand colour.
hourglass() {
  draw "#6B4A2B" "rectangle 24,8 104,20"
  draw "#6B4A2B" "rectangle 24,108 104,120"
  draw "$1" "polygon 32,20 96,20 70,64 96,108 32,108 58,64" "#4A4A4A" 5
  draw "$2" "polygon 44,30 84,30 66,56 62,56"
  draw "$2" "polygon 64,76 90,104 38,104"
}
# A chevron in a rounded box: up or down.
chevron_box() {
  draw "#F4F8FF" "roundrectangle 8,8 120,120 22,22" "#3D6FB6" 8
  if [ "$1" = up ]; then
    draw none "stroke-linecap round stroke-linejoin round polyline 32,80 64,48 96,80" "#1F4E9A" 16
  else
    draw none "stroke-linecap round stroke-linejoin round polyline 32,48 64,80 96,48" "#1F4E9A" 16
  fi
}

icon_art() { # <icon id>
  case $1 in
  101) draw "#C0392B" "circle 30,30 30,10"; draw "#C0392B" "circle 98,30 98,10"  # the item: an alarm clock
       draw "#7F8C8D" "line 36,112 46,100" "#505050" 10; draw "#7F8C8D" "line 92,112 82,100" "#505050" 10
       clock_face white "#C0392B" ;;
  104) chevron_box up ;;     # expand button while the popup is open
  105) chevron_box down ;;   # expand button while it is closed
  112) bell "#F5B301" "#8A5A00" ;;              # alarm row
  111) bell "#F5B301" "#8A5A00" ;;              # "Alarms" submenu
  107) hourglass "#DDEEFF" "#E3A33B" ;;         # timer row
  110) hourglass "#DDEEFF" "#E3A33B" ;;         # "Timers" submenu
  114) hourglass "#E8E8E8" "#A0A0A0"            # a timer template: a pale glass with a sheet
       draw "#FFFFFF" "rectangle 66,66 120,122" "#3D6FB6" 6
       draw none "stroke-linecap round line 76,82 110,82" "#3D6FB6" 6; draw none "line 76,96 110,96" "#3D6FB6" 6
       draw none "stroke-linecap round line 76,110 100,110" "#3D6FB6" 6 ;;
  117) bell "#D0D0D0" "#808080"                 # an alarm that is off: a grey bell, struck through
       draw none "stroke-linecap round line 14,114 114,14" "#C0392B" 14 ;;
  108) draw none "stroke-linecap round stroke-linejoin round polyline 22,66 52,96 108,30" "#1F4E9A" 20 ;;  # check mark
  *) echo "make_icons: no icon $1" >&2; return 1 ;;
  esac
}

icon_image() { # <id> <size> <png>
  args=()
  icon_art "$1"
  "$convert" -size ${S}x${S} xc:none "${args[@]}" -filter box -resize "$2x$2" "PNG32:$3"
}

work=$out/today-icon-work
mkdir -p "$work"
for id in 101 104 105 107 108 110 111 112 114 117; do
  icon_image "$id" 32 "$work/$id-32.png"
  icon_image "$id" 16 "$work/$id-16.png"
  "$convert" "$work/$id-32.png" "$work/$id-16.png" "$out/today_$id.ico"
done
rm -rf "$work"
