#!/usr/bin/env bash
# Makes the files the dependency tests decode, each with the real tool:
#   make_fixtures.sh <out-dir> <tone-hz> <sample-rate> <seconds> <image-size>
# Tools come from the environment: ZIP_PROGRAM, CJPEG_PROGRAM, SOX_PROGRAM, OGGENC_PROGRAM,
# LAME_PROGRAM (not ZIP: zip reads its options from that variable).
set -euo pipefail
out=$1 hz=$2 rate=$3 seconds=$4 size=$5
mkdir -p "$out"
cd "$out"

# A mono sine at half scale, without dither so every build makes the same samples.
"$SOX_PROGRAM" -D -n -r "$rate" -b 16 -c 1 tone.wav synth "$seconds" sine "$hz" vol 0.5
"$OGGENC_PROGRAM" -Q --serial 1 -q 4 -o tone.ogg tone.wav
"$LAME_PROGRAM" --quiet -b 128 tone.wav tone.mp3

# A square image in four flat quadrants; the colours must match the test's table.
awk -v n="$size" 'BEGIN {
  split("200 40 40|40 180 60|30 60 200|128 128 128", q, "|")
  print "P3"; print n, n; print 255
  for (y = 0; y < n; y++)
    for (x = 0; x < n; x++)
      print q[1 + (x >= n / 2) + 2 * (y >= n / 2)]
}' >quadrants.ppm
"$CJPEG_PROGRAM" -quality 95 -outfile quadrants.jpg quadrants.ppm

# An archive with a deflated text, a deflated larger file and a stored binary.
printf 'Orvalen archive member\r\nsecond line\r\n' >hello.txt
seq 1 20000 >numbers.txt
rm -f archive.zip
"$ZIP_PROGRAM" -q -X -9 archive.zip hello.txt numbers.txt
"$ZIP_PROGRAM" -q -X -0 archive.zip tone.wav
# The same archive cut in half: its central directory is gone.
head -c $(( $(stat -c %s archive.zip) / 2 )) archive.zip >truncated.zip
