#!/usr/bin/env bash
# Makes the built-in ring sounds with sox: short tones, 22050 Hz 16-bit mono WAV.
#   make_sounds.sh <sox> <out-dir>
# ring_200.wav: the default ring and the fallback of every other one, 880 Hz with its
# octave for 0.8 s; ring_201.wav: the short sample the volume slider rings, 660 Hz for 0.25 s.
set -euo pipefail
sox=$1 out=$2
mkdir -p "$out"
"$sox" -D -n -r 22050 -b 16 -c 1 -e signed "$out/ring_200.wav.tmp.wav" \
  synth 0.8 sine 880 sine 1760 remix 1,2 fade q 0.01 0.8 0.06 vol 0.6
"$sox" -D -n -r 22050 -b 16 -c 1 -e signed "$out/ring_201.wav.tmp.wav" \
  synth 0.25 sine 660 fade q 0.01 0.25 0.03 vol 0.6
mv -f "$out/ring_200.wav.tmp.wav" "$out/ring_200.wav"
mv -f "$out/ring_201.wav.tmp.wav" "$out/ring_201.wav"
