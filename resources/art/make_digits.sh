#!/usr/bin/env bash
# Draws the two bitmap fonts of the digital displays with ImageMagick: seven-segment
# digits, ":", "'" and ".", as glyph strips with per-pixel alpha, and writes their glyph
# tables (256 little-endian 32-bit entries: width | x offset << 16).
#   make_digits.sh <convert> <out-dir>
# Small font (below 192 DPI): 30 pixels high, "0" 20 wide at offset 27, "1" 9 wide,
# ":" 7 wide at offset 303. The large font is the same drawing at twice the size.
set -euo pipefail
convert=$1 out=$2
mkdir -p "$out"

# Glyphs of the small font: character, x offset, width.
glyphs=(
  "' 0 5"  ". 12 6"
  "0 27 20" "1 54 9" "2 81 20" "3 108 20" "4 135 20" "5 162 20" "6 189 20" "7 216 20" "8 243 20" "9 270 20"
  ": 303 7"
)
strip_width=310 height=30 oversample=8 ink='#101418'

# One strip: draws every glyph at (scale x oversample) and averages down by the oversample.
make_strip() { # <scale> <png>
  local scale=$1 png=$2 draw
  draw=$(printf '%s\n' "${glyphs[@]}" | awk -v k="$((scale * oversample))" -v H="$height" '
    function pt(x, y) { return sprintf(" %.2f,%.2f", x * k, y * k) }
    # A segment with pointed ends, lying along x (horizontal) or along y.
    function hseg(x0, L, R, cy) {
      return "polygon" pt(x0+L, cy) pt(x0+L+h, cy-h) pt(x0+R-h, cy-h) pt(x0+R, cy) pt(x0+R-h, cy+h) pt(x0+L+h, cy+h) " "
    }
    function vseg(x0, cx, T, B) {
      return "polygon" pt(x0+cx, T) pt(x0+cx+h, T+h) pt(x0+cx+h, B-h) pt(x0+cx, B) pt(x0+cx-h, B-h) pt(x0+cx-h, T+h) " "
    }
    function box(x0, y0, x1, y1) { return "rectangle" pt(x0, y0) pt(x1, y1) " " }
    BEGIN {
      t = 4; h = t / 2; g = 0.6
      side = 1.5  # bearing on both sides of a digit, so neighbours never touch
      split("abcdef bc abged abgcd fgbc afgcd afgecd abc abcdefg abcdfg", segs, " ")
    }
    {
      c = $1; x0 = $2; W = $3; s = ""
      if (c == ":") s = box(x0+1.5, H*0.3-2, x0+5.5, H*0.3+2) box(x0+1.5, H*0.7-2, x0+5.5, H*0.7+2)
      else if (c == ".") s = box(x0+1, H-t, x0+5, H)
      else if (c == "\047") s = "polygon" pt(x0+1.5, 0) pt(x0+5, 0) pt(x0+3.5, H*0.3) pt(x0+1, H*0.3) " "
      else {
        on = segs[c + 1]; L = side + h + g; R = W - side - h - g; left = side + h; right = W - side - h
        if (index(on, "a")) s = s hseg(x0, L, R, h)
        if (index(on, "g")) s = s hseg(x0, L, R, H/2)
        if (index(on, "d")) s = s hseg(x0, L, R, H-h)
        if (index(on, "f")) s = s vseg(x0, left, h+g, H/2-g)
        if (index(on, "b")) s = s vseg(x0, right, h+g, H/2-g)
        if (index(on, "e")) s = s vseg(x0, left, H/2+g, H-h-g)
        if (index(on, "c")) s = s vseg(x0, right, H/2+g, H-h-g)
      }
      printf "%s", s
    }')
  "$convert" -size "$((strip_width * scale * oversample))x$((height * scale * oversample))" xc:none \
    -fill "$ink" -draw "$draw" -filter box -resize "$((strip_width * scale))x$((height * scale))!" \
    -define png:color-type=6 "PNG32:$png"
}

# One glyph table at the scale.
make_table() { # <scale> <bin>
  local scale=$1 bin=$2 entry c x w code i
  local -a table
  for ((i = 0; i < 256; i++)); do table[i]=0; done
  for entry in "${glyphs[@]}"; do
    read -r c x w <<<"$entry"
    printf -v code '%d' "'$c"
    table[code]=$(( (w * scale) | (x * scale) << 16 ))
  done
  : >"$bin"
  for ((i = 0; i < 256; i++)); do
    local v=${table[i]}
    printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((v & 255)) $((v >> 8 & 255)) $((v >> 16 & 255)) $((v >> 24 & 255)))" >>"$bin"
  done
}

make_strip 1 "$out/font_small.png"
make_table 1 "$out/font_small.bin"
make_strip 2 "$out/font_large.png"
make_table 2 "$out/font_large.bin"
