#!/usr/bin/env bash
# Real AIFF files written by others: the 8- and 16-bit "pluck" files of Python's test
# suite, which the set-up took out of Debian's package and checked (scripts/debian-files.sh),
# each with sox's reading of it as signed 16- or 8-bit raw data.
# Usage: fetch_real_aiff.sh <set-up's folder> <out-dir>
# Never fails: when the files are not there, "status" says why and the test fails.
set -uo pipefail
from=$1 out=$2
files=(pluck-pcm8 pluck-pcm16)
mkdir -p "$out"
status=$out/status
rm -f "$status"
for f in "${files[@]}"; do
  if [ ! -s "$from/$f.aiff" ]; then
    echo "unavailable: the set-up could not fetch $f.aiff from the Debian archive (scripts/setup.sh says why)" >"$status"
    exit 0
  fi
  cp "$from/$f.aiff" "$out/$f.aiff"
  if ! sox "$out/$f.aiff" -t raw -e signed-integer -L "$out/$f.raw"; then
    echo "unavailable: sox could not read $f.aiff" >"$status"
    exit 0
  fi
done
echo "ok" >"$status"
