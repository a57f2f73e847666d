#!/usr/bin/env bash
# Draws the language flags with ImageMagick: simple geometric flags, each an icon with a
# 16 and a 32 pixel image (the flag 4:3 and framed, centred on transparency).
#   make_flags.sh <convert> <out-dir>   ->  flag_<icon id>.ico
set -euo pipefail
convert=$1 out=$2
mkdir -p "$out"
W=120 H=88  # the drawing canvas: four times the 32-pixel icon's flag less its frame

# Helpers that add drawing arguments for the canvas to args.
args=()
fill() { args+=(-fill "$1" -draw "color 0,0 reset"); }
rect() { args+=(-fill "$1" -draw "rectangle $2,$3 $4,$5"); }
circle() { args+=(-fill "$1" -draw "circle $2,$3 $2,$(($3 + $4))"); }
hstripes() { # colours top to bottom, equal bands
  local n=$# i=0 c
  for c in "$@"; do rect "$c" 0 $((i * H / n)) $W $(((i + 1) * H / n)); i=$((i + 1)); done
}
vstripes() { # colours left to right, equal bands
  local n=$# i=0 c
  for c in "$@"; do rect "$c" $((i * W / n)) 0 $(((i + 1) * W / n)) $H; i=$((i + 1)); done
}
# A star of n points: colour, centre, outer and inner radius, points.
star() {
  local points
  points=$(awk -v cx="$2" -v cy="$3" -v r="$4" -v ri="$5" -v n="$6" 'BEGIN {
    for (i = 0; i < 2 * n; i++) { a = -3.14159265 / 2 + i * 3.14159265 / n; rr = i % 2 ? ri : r
      printf " %.1f,%.1f", cx + rr * cos(a), cy + rr * sin(a) } }')
  args+=(-fill "$1" -draw "polygon$points")
}
cross() { # colour, vertical bar x0 x1, horizontal bar y0 y1
  rect "$1" "$2" 0 "$3" $H
  rect "$1" 0 "$4" $W "$5"
}
outline() { # colour, stroke width, drawing
  args+=(-fill none -stroke "$1" -strokewidth "$2" -draw "$3" -stroke none)
}

flag_art() { # <icon id>: adds the drawing of the language's flag to args
  local i x y
  case $1 in
  309) fill "#DE2910"; star "#FFDE00" 20 22 13 5 5  # Chinese (PRC)
       star "#FFDE00" 40 9 4 1.6 5; star "#FFDE00" 48 18 4 1.6 5; star "#FFDE00" 48 30 4 1.6 5; star "#FFDE00" 40 39 4 1.6 5 ;;
  314) fill white  # English (United States)
       for ((i = 0; i < 13; i += 2)); do rect "#B22234" 0 $((i * H / 13)) $W $(((i + 1) * H / 13)); done
       rect "#3C3B6E" 0 0 48 $((7 * H / 13))
       for x in 8 20 32 42; do for y in 7 18 29 40; do circle white $x $y 2; done; done ;;
  323) fill "#FE0000"; rect "#000095" 0 0 60 44  # Chinese (Taiwan)
       star white 30 22 15 9 12; circle "#000095" 30 22 8; circle white 30 22 6 ;;
  311) hstripes white "#D7141A"; args+=(-fill "#11457E" -draw "polygon 0,0 60,44 0,88") ;;  # Czech
  312) fill "#C8102E"; cross white 36 48 38 50 ;;  # Danish
  344) for ((i = 0; i < 9; i += 2)); do rect "#0D5EAF" 0 $((i * H / 9)) $W $(((i + 1) * H / 9)); done  # Greek
       rect "#0D5EAF" 0 0 49 49; rect white 19 0 29 49; rect white 0 19 49 29 ;;
  345) hstripes white "#005DA4" "#ED1C24"  # Slovenian
       args+=(-fill "#005DA4" -stroke "#ED1C24" -strokewidth 2 -draw "polygon 20,14 40,14 40,34 30,42 20,34" -stroke none) ;;
  313) hstripes "#AE1C28" white "#21468B" ;;  # Dutch
  315) vstripes "#002654" white "#CE1126" ;;  # French
  316) hstripes black "#DD0000" "#FFCE00" ;;  # German
  317) vstripes "#009246" white "#CE2B37" ;;  # Italian
  318) fill white; circle "#BC002D" 60 44 26 ;;  # Japanese
  319) hstripes white "#DC143C" ;;  # Polish
  346) fill "#009C3B"; args+=(-fill "#FFDF00" -draw "polygon 10,44 60,8 110,44 60,80")  # Portuguese (Brazil)
       circle "#002776" 60 44 20; outline white 3 "path 'M 41,40 Q 60,34 79,48'" ;;
  320) rect "#006600" 0 0 48 $H; rect "#FF0000" 48 0 $W $H  # Portuguese (Portugal)
       circle "#FFE000" 48 44 16; rect white 41 35 55 53; rect "#FF0000" 43 37 53 51 ;;
  321) hstripes white "#0039A6" "#D52B1E" ;;  # Russian
  310) rect "#FCD116" 0 0 $W 44; rect "#003893" 0 44 $W 66; rect "#CE1126" 0 66 $W $H ;;  # Spanish (Colombia)
  322) rect "#AA151B" 0 0 $W 22; rect "#F1BF00" 0 22 $W 66; rect "#AA151B" 0 66 $W $H ;;  # Spanish
  324) fill "#E30A17"; circle white 44 44 22; circle "#E30A17" 50 44 18; star white 74 44 10 4 5 ;;  # Turkish
  308) hstripes "#0057B7" "#FFD700" ;;  # Ukrainian
  335) fill "#006AA7"; cross "#FECC02" 36 50 37 51 ;;  # Swedish
  334) fill white; cross "#002F6C" 34 52 35 53 ;;  # Finnish
  338) fill white; rect "#0038B8" 0 8 $W 20; rect "#0038B8" 0 68 $W 80  # Hebrew
       outline "#0038B8" 3 "polygon 60,27 75,53 45,53"; outline "#0038B8" 3 "polygon 60,61 75,35 45,35" ;;
  387) hstripes "#FDB913" "#006A44" "#C1272D" ;;  # Lithuanian
  392) fill "#BA0C2F"; cross white 32 56 32 56; cross "#00205B" 38 50 38 50 ;;  # Norwegian
  402) hstripes "#CD2A3E" white "#436F4D" ;;  # Hungarian
  *) echo "make_flags: no flag $1" >&2; return 1 ;;
  esac
}

# One icon image: the flag averaged down into the inner size, framed, centred on a square.
flag_image() { # <id> <size> <png>
  local id=$1 size=$2 png=$3 width height
  width=$((size - 2)) height=$((size * 3 / 4 - 2))
  args=()
  flag_art "$id"
  "$convert" -size ${W}x${H} xc:white "${args[@]}" -filter box -resize "${width}x${height}!" \
    -bordercolor "#505050" -border 1 -background none -gravity center -extent "${size}x${size}" "PNG32:$png"
}

work=$out/flag-work
mkdir -p "$work"
for id in 308 309 310 311 312 313 314 315 316 317 318 319 320 321 322 323 324 334 335 338 344 345 346 387 392 402; do
  flag_image "$id" 32 "$work/$id-32.png"
  flag_image "$id" 16 "$work/$id-16.png"
  "$convert" "$work/$id-32.png" "$work/$id-16.png" "$out/flag_$id.ico"
done
rm -rf "$work"
