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

hourglass() { # sand colour, frame colour
  shape "$2" "rectangle 28,10 100,22"
  shape "$2" "rectangle 28,106 100,118"
  shape "$1" "polygon 36,22 92,22 68,64 92,106 36,106 60,64"
  line "$2" 6 "path 'M 36,22 L 60,64 L 36,106 M 92,22 L 68,64 L 92,106'"
}
stopwatch() { # face colour, rim colour
  shape "$2" "rectangle 54,4 74,18"
  shape "$2" "circle 64,70 64,20"
  shape "$1" "circle 64,70 64,30"
  line "$2" 8 "line 64,70 64,40"
  line "$2" 8 "line 64,70 84,80"
}
play() { shape "$1" "polygon 30,16 110,64 30,112"; }
pause() {
  shape "$1" "rectangle 26,16 54,112"
  shape "$1" "rectangle 74,16 102,112"
}
square() { shape "$1" "rectangle 22,22 106,106"; }
flag() { # cloth colour, pole colour
  shape "$2" "rectangle 20,8 30,120"
  shape "$1" "polygon 30,12 110,32 30,66"
}
cross() { # colour
  line "$1" 20 "line 24,24 104,104"
  line "$1" 20 "line 104,24 24,104"
}
disk() { # body colour
  shape "$1" "polygon 14,14 98,14 114,30 114,114 14,114"
  shape white "rectangle 32,14 88,48"
  shape "#E0E0E0" "rectangle 28,70 100,114"
}
reset() { # colour
  line "$1" 14 "path 'M 96,40 A 40,40 0 1,0 104,72'"
  shape "$1" "polygon 80,16 116,28 100,56"
}
record() { # colour
  shape "#202020" "circle 64,64 64,12"
  shape "$1" "circle 64,64 64,22"
}

dial() { # face colour, rim colour
  shape "$2" "circle 64,64 64,6"
  shape "$1" "circle 64,64 64,16"
  line "#202020" 10 "line 64,64 64,28"
  line "#202020" 8 "line 64,64 92,76"
  shape "#C00000" "circle 64,64 64,72"
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
  102) hourglass "#F2B01E" "#5A3A10" ;;       # a timer, and the timers page
  119) hourglass "#6FA8DC" "#1F4E79" ;;       # a timer template
  103) stopwatch "#FFFFFF" "#2E6BB8" ;;       # the stopwatch page
  109) pause "#2060C0" ;;                     # pause
  110) pause "#A0A0A0" ;;
  113) flag "#E03030" "#404040" ;;            # stage (a lap)
  114) flag "#A0A0A0" "#808080" ;;
  115) play "#1E8E3E" ;;                      # start
  116) play "#A0A0A0" ;;
  117) square "#C02020" ;;                    # stop
  118) square "#A0A0A0" ;;
  225) disk "#2E6BB8" ;;                      # save
  226) cross "#C02020" ;;                     # clear
  293) reset "#2060C0" ;;                     # reset
  294) reset "#A0A0A0" ;;
  122) dial "#FFFFFF" "#2060C0" ;;             # the clock page
  332) record "#E02020" ;;                     # the command bar's record button
  *) echo "make_page_icons: no icon $1" >&2; return 1 ;;
  esac
}

work=$out/page-icon-work
mkdir -p "$work"
for id in 101 102 103 104 105 106 107 109 110 111 112 113 114 115 116 117 118 119 120 122 225 226 293 294 332; do
  args=()
  icon_art "$id"
  "$convert" -size 128x128 xc:none "${args[@]}" "PNG32:$work/$id.png"
  "$convert" "$work/$id.png" -filter box -resize 32x32 "PNG32:$work/$id-32.png"
  "$convert" "$work/$id.png" -filter box -resize 16x16 "PNG32:$work/$id-16.png"
  "$convert" "$work/$id-32.png" "$work/$id-16.png" "$out/page_$id.ico"
done
rm -rf "$work"
