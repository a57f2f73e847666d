#!/usr/bin/env bash
# Real Ogg Vorbis files written by others, gathered at test time once per build tree:
# oggenc's at several qualities, rates and channel counts, ffmpeg's own encoder and its
# libvorbis one, and the sound themes of two Debian packages, which the set-up took out of
# them (real_ogg_debian.txt; nothing is committed); each with ffmpeg's decoding of it as
# 16-bit raw PCM beside it, and their names in "files".
# Usage: make_real_ogg.sh <out-dir> <the set-up's real-ogg dir>
# A sound theme's file the set-up should have fetched that is missing or not the one listed
# fails the fixture, naming it.
set -uo pipefail
out=$1 fetched=$2
list=$(dirname "${BASH_SOURCE[0]}")/real_ogg_debian.txt
mkdir -p "$out"
status=$out/status
listed=$(grep -cv '^\(#\|$\)' "$list")
if grep -q "^ok .*, $listed from Debian packages$" "$status" 2>/dev/null; then exit 0; fi
rm -f "$out/files"
work=$out/work
mkdir -p "$work"

# Noise, then a sweep: every codebook of the encoder gets used.
sox -D -n -r 48000 -b 16 -c 2 "$work/src.wav" synth 1 pinknoise vol 0.3 : synth 1 sine 200-6000 vol 0.5 2>/dev/null
for ch in 1 2; do
  for rate in 8000 22050 44100 48000; do
    sox -D "$work/src.wav" -r $rate -c $ch "$work/src_${ch}_$rate.wav" 2>/dev/null || continue
    for q in -1 3 10; do
      oggenc -Q -q $q -o "$out/oggenc_${ch}ch_${rate}_q$q.ogg" "$work/src_${ch}_$rate.wav" 2>/dev/null
    done
  done
done
ffmpeg -v error -y -i "$work/src_2_44100.wav" -c:a vorbis -strict -2 "$out/ffmpeg_vorbis_2ch.ogg"
ffmpeg -v error -y -i "$work/src_1_22050.wav" -c:a libvorbis -q:a 5 "$out/ffmpeg_libvorbis_1ch.ogg"

debian=0 missing=0
while read -r package inside sum; do
  case $package in '' | '#'*) continue ;; esac
  name=${package}__$(basename "$inside")
  if ! echo "$sum  $fetched/$name" | sha256sum --quiet -c - >/dev/null 2>&1; then
    echo "make_real_ogg: $name from $package is missing or not the one listed (the set-up, scripts/debian-files.sh, fetches it)" >&2
    missing=$((missing + 1))
    continue
  fi
  cp "$fetched/$name" "$out/$name"
  debian=$((debian + 1))
done <"$list"
[ "$missing" -eq 0 ] || exit 1

count=0
for f in "$out"/*.ogg "$out"/*.oga; do
  [ -f "$f" ] || continue
  ffmpeg -v error -y -i "$f" -f s16le -acodec pcm_s16le "$f.raw" && basename "$f" >>"$out/files" && count=$((count + 1))
done
if [ "$count" -eq 0 ]; then
  echo "unavailable: neither oggenc nor ffmpeg made a file" >"$status"
  exit 0
fi
echo "ok $count files, $debian from Debian packages" >"$status"
