#!/usr/bin/env bash
# Draws the icons of the main window's pages and their buttons with ImageMagick: each an
# icon with a 16 and a 32 pixel image, drawn on a 128-pixel canvas and averaged down.
# The second icon of a button is its greyed (disabled) look.
#   make_page_icons.sh <convert> <out-dir>   ->  page_<resource id>.ico
set -euo pipefail
convert=$1 out=$2
mkdir -p "$out"

args=()
shape() { args+=(-fill "$1" -stroke none -draw "$2"); }
line() { args+=(-fill none -stroke "$1" -strokewidth "$2" -draw "$3" -stroke none); }

bell() { # body colour, rim colour
  shape "$2" "path 'M 64,14 C 34,14 30,44 30,68 L 16,96 L 112,96 L 98,68 C 98,44 94,14 64,14 Z'"
  shape "$1" "path 'M 64,22 C 40,22 38,46 38,70 L 27,90 L 101,90 L 90,70 C 90,46 88,22 64,22 Z'"
  shape "$2" "circle 64,106 64,118"
}
plus() { # colour
  shape "$1" "circle 64,64 64,118"
  line white 18 "line 64,32 64,96"
  line white 18 "line 32,64 96,64"
}
snooze_off() { # colour
  line "$1" 12 "path 'M 20,24 L 60,24 L 20,70 L 60,70'"
  line "$1" 10 "path 'M 68,58 L 100,58 L 68,96 L 100,96'"
  line "#C00000" 12 "line 14,112 114,14"
}
pencil() { # body colour, tip colour
  shape "$1" "polygon 84,14 114,44 48,110 18,80"
  shape "$2" "polygon 18,80 48,110 10,118"
  shape "#303030" "polygon 10,118 14,104 24,114"
}

icon_art() { # <id>
  case $1 in
  101) bell "#F2B01E" "#8A5A00" ;;             # an active alarm, and the page
  106) bell "#C8C8C8" "#707070" ;;             # an inactive alarm
  104) plus "#1E8E3E" ;;                       # add
  105) plus "#A0A0A0" ;;
  107) snooze_off "#2060C0" ;;                 # cancel snooze
  120) snooze_off "#A0A0A0" ;;
  111) pencil "#E07020" "#F0D0A0" ;;           # edit
  112) pencil "#A0A0A0" "#D8D8D8" ;;
  *) echo "make_page_icons: no icon $1" >&2; return 1 ;;
  esac
}

work=$out/page-icon-work
mkdir -p "$work"
for id in 101 104 105 106 107 111 112 120; do
  args=()
  icon_art "$id"
  "$convert" -size 128x128 xc:none "${args[@]}" "PNG32:$work/$id.png"
  "$convert" "$work/$id.png" -filter box -resize 32x32 "PNG32:$work/$id-32.png"
  "$convert" "$work/$id.png" -filter box -resize 16x16 "PNG32:$work/$id-16.png"
  "$convert" "$work/$id-32.png" "$work/$id-16.png" "$out/page_$id.ico"
done
rm -rf "$work"
