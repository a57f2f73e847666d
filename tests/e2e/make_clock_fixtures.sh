#!/usr/bin/env bash
# Makes the clock tests' skins (drawn by the program's own skin script, packed with zip)
# and slide-show pictures (ImageMagick):
#   make_clock_fixtures.sh <convert> <zip> <skin script> <out-dir>
set -euo pipefail
convert=$1 zip_tool=$2 skin=$3 out=$4
mkdir -p "$out/skins" "$out/pictures" "$out/pictures-240x320" "$out/pictures-480x640"
# Hands in colours of their own on a white face over black: blue hours, green minutes,
# magenta seconds. No landscape background: the portrait one is turned.
bash "$skin" "$convert" "$zip_tool" "$out/skins/test.zip" 'guid={5B0C8E21-7A4D-4F3B-9C1E-2D6F8A9B0C11}' \
  hour='#0000FF' minute='#00FF00' second='#FF00FF' face='#FFFFFF' rim='#FFFFFF' bg1='#000000' bg2='#000000' \
  landscape=0
# The hour strip without its red pivot marks.
bash "$skin" "$convert" "$zip_tool" "$out/skins/nomark.zip" 'guid={7E2A9C40-1B3D-4E5F-8A6B-9C0D1E2F3A44}' marks=0
# "guid.txt" with a line end: 39 bytes, no identity.
bash "$skin" "$convert" "$zip_tool" "$out/skins/noguid.zip" guid=$'{3C4D5E6F-7A8B-4C9D-8E0F-1A2B3C4D5E66}\n' \
  bg1='#402010' bg2='#A06030'
# A zip cut in half.
head -c 4000 "$out/skins/test.zip" >"$out/skins/damaged.zip"
# Two pictures the size of the screen, one JPEG and one PNG, told apart by colour.
"$convert" -size 240x320 xc:'#C03020' -fill '#F0D040' -draw 'rectangle 40,60 200,260' -quality 92 \
  "$out/pictures/first.jpg"
"$convert" -size 240x320 xc:'#2040C0' -fill '#40E080' -draw 'circle 120,160 120,60' "PNG24:$out/pictures/second.png"
# For each screen, a photo a little larger than it and of another shape, with a red
# frame and a coloured square in each corner: a fitted one shows them all, centred.
for screen in 240x320 480x640; do
  scale=${screen%%x*}
  scale=$((scale / 240))
  w=$((288 * scale)) h=$((340 * scale)) m=$((6 * scale)) s=$((40 * scale))
  "$convert" -size ${w}x${h} gradient:'#305070'-'#C0D8E8' -fill none -stroke '#E02020' -strokewidth $((2 * m)) \
    -draw "rectangle $m,$m $((w - 1 - m)),$((h - 1 - m))" -stroke none \
    -fill '#F0E020' -draw "rectangle $((2 * m)),$((2 * m)) $((2 * m + s)),$((2 * m + s))" \
    -fill '#20E0F0' -draw "rectangle $((w - 1 - 2 * m - s)),$((2 * m)) $((w - 1 - 2 * m)),$((2 * m + s))" \
    -fill '#F020E0' -draw "rectangle $((2 * m)),$((h - 1 - 2 * m - s)) $((2 * m + s)),$((h - 1 - 2 * m))" \
    -fill '#20F040' -draw "rectangle $((w - 1 - 2 * m - s)),$((h - 1 - 2 * m - s)) $((w - 1 - 2 * m)),$((h - 1 - 2 * m))" \
    -quality 92 "$out/pictures-$screen/photo.jpg"
done
