#!/usr/bin/env bash
# Draws a clock skin with ImageMagick and packs it with zip:
#   make_skin.sh <convert> <zip> <out.zip> [key=value ...]
# Keys: guid (the text of guid.txt; "none" leaves it out), hour, minute, second (hand
# colours), face, rim, bg1, bg2 (background gradient), landscape (1: add
# bg_landscape.png), marks (0: the hour strip loses its red pivot marks).
# Face and hand pictures hold the colour in the left half and the alpha mask in the
# right half; in the mask a cyan pixel ends each hand frame and a red pixel is its
# pivot (the face's red pixel is where the pivots go).
set -euo pipefail
convert=$1 zip_tool=$2 out=$(realpath -m "$3")
shift 3
guid='{8C18D169-BB4F-3bf2-A0AD-A08C627E7102}'
hour='#1E2838' minute='#2A3850' second='#D03838' face='#F4F1E6' rim='#3A4658'
bg1='#15233A' bg2='#3E5A73' landscape=1 marks=1
for setting in "$@"; do
  case $setting in
    guid=*) guid=${setting#guid=} ;; hour=*) hour=${setting#hour=} ;;
    minute=*) minute=${setting#minute=} ;; second=*) second=${setting#second=} ;;
    face=*) face=${setting#face=} ;; rim=*) rim=${setting#rim=} ;;
    bg1=*) bg1=${setting#bg1=} ;; bg2=*) bg2=${setting#bg2=} ;;
    landscape=*) landscape=${setting#landscape=} ;; marks=*) marks=${setting#marks=} ;;
    *) echo "make_skin.sh: unknown setting $setting" >&2; exit 2 ;;
  esac
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

F=200  # the face's side; its centre is the hands' pivot
# The screen shows 16-bit colour (5 bits red, 6 green, 5 blue): a smooth gradient would
# fall into broad bands there, so it is dithered to those levels already.
dither=(-ordered-dither o8x8,32,64,32)
"$convert" -size 240x320 "gradient:$bg1-$bg2" "${dither[@]}" -depth 8 "PNG24:$work/bg.png"
if [ "$landscape" = 1 ]; then
  "$convert" -size 320x240 "gradient:$bg1-$bg2" "${dither[@]}" -depth 8 "PNG24:$work/bg_landscape.png"
fi

# The face: a dial with minute and hour ticks (a double tick at twelve).
ticks=$(awk -v c=$((F / 2)) 'BEGIN {
  for (i = 0; i < 60; i++) { a = i * 3.14159265 / 30; r2 = 90; r1 = (i % 5) ? 84 : 74; w = (i % 5) ? 1 : 3
    if (i == 0) continue
    printf " -strokewidth %d -draw \"line %.1f,%.1f %.1f,%.1f\"", w, c + r1 * sin(a), c - r1 * cos(a), c + r2 * sin(a), c - r2 * cos(a) }
  printf " -strokewidth 3 -draw \"line %d,%d %d,%d\" -draw \"line %d,%d %d,%d\"", c - 3, 16, c - 3, 30, c + 3, 16, c + 3, 30 }')
eval "\"$convert\" -size ${F}x${F} xc:black -fill '$face' -stroke '$rim' -strokewidth 4 \
  -draw 'circle $((F / 2)),$((F / 2)) $((F / 2)),4' -stroke '$rim' $ticks -depth 8 PNG24:$work/face_colour.png"
"$convert" -size ${F}x${F} xc:black -fill white -stroke white -strokewidth 4 \
  -draw "circle $((F / 2)),$((F / 2)) $((F / 2)),4" -depth 8 "PNG24:$work/face_mask.png"
"$convert" "$work/face_colour.png" "$work/face_mask.png" +append +antialias -fill red \
  -draw "point $((F + F / 2)),$((F / 2))" +repage -depth 8 "PNG24:$work/clock.png"

# A hand strip: frames of the hand from three o'clock turning clockwise by step degrees,
# each frame followed by the row of its cyan mark.
strip() {  # file frames step length width tail colour withMarks
  local file=$1 n=$2 step=$3 length=$4 width=$5 tail=$6 colour=$7 with_marks=$8
  local m=$((tail + width)) W H
  W=$((m + length + width + 2))
  H=$((m + length * 71 / 100 + width + 2))
  local draws
  draws=$(awk -v n="$n" -v step="$step" -v L="$length" -v t="$tail" -v m="$m" -v W="$W" -v H="$H" \
    -v wd="$width" -v col="$colour" -v marks="$with_marks" 'BEGIN {
    for (k = 0; k < n; k++) { a = k * step * 3.14159265 / 180; y0 = k * (H + 1)
      x1 = m + L * cos(a); y1 = y0 + m + L * sin(a); xt = m - t * cos(a); yt = y0 + m - t * sin(a)
      printf " -stroke \"%s\" -strokewidth %d -draw \"line %.2f,%.2f %.2f,%.2f\"", col, wd, xt, yt, x1, y1
      printf " -stroke white -draw \"line %.2f,%.2f %.2f,%.2f\"", xt + W, yt, x1 + W, y1 }
    printf " +antialias -stroke none"
    for (k = 0; k < n; k++) { y0 = k * (H + 1)
      printf " -fill cyan -draw \"point %d,%d\"", W, y0 + H
      if (marks) printf " -fill red -draw \"point %d,%d\"", W + m, y0 + m } }')
  eval "\"$convert\" -size $((2 * W))x$((n * (H + 1))) xc:black $draws -depth 8 PNG24:$work/$file"
}
strip harrow.png 23 "$(awk 'BEGIN { print 45 / 22 }')" 52 6 8 "$hour" "$marks"
strip marrow.png 23 "$(awk 'BEGIN { print 45 / 22 }')" 76 4 10 "$minute" 1
strip sarrow.png 8 6 86 2 14 "$second" 1

if [ "$guid" != none ]; then printf '%s' "$guid" >"$work/guid.txt"; fi
rm -f "$out"
(cd "$work" && "$zip_tool" -q -9 "$out" \
  $(ls guid.txt bg.png bg_landscape.png clock.png harrow.png marrow.png sarrow.png 2>/dev/null))
