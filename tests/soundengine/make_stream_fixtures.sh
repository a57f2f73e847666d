#!/usr/bin/env bash
# Makes the WAV files the stream tests play: make_stream_fixtures.sh <out-dir>
# sox comes from SOX_PROGRAM. No dither (-D), so every build makes the same samples.
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"
"$SOX_PROGRAM" -D -n -r 44100 -b 16 -c 2 stereo16.wav synth 1.5 sine 440 sine 660 vol 0.6
"$SOX_PROGRAM" -D -n -r 22050 -b 8 -e unsigned -c 1 mono8.wav synth 0.8 sine 300 vol 0.7
"$SOX_PROGRAM" -D -n -r 22050 -c 1 -e ima-adpcm ima_mono.wav synth 1 sine 500 vol 0.7
"$SOX_PROGRAM" -D ima_mono.wav -e signed -b 16 ima_mono_ref.wav
"$SOX_PROGRAM" -D -n -r 22050 -c 2 -e ima-adpcm ima_stereo.wav synth 1 sine 500 sine 700 vol 0.7
"$SOX_PROGRAM" -D ima_stereo.wav -e signed -b 16 ima_stereo_ref.wav
"$SOX_PROGRAM" -D -n -r 8000 -c 1 -e a-law alaw.wav synth 0.5 sine 400 vol 0.8
"$SOX_PROGRAM" -D alaw.wav -e signed -b 16 alaw_ref.wav
"$SOX_PROGRAM" -D -n -r 22050 -c 2 -e ms-adpcm msadpcm.wav synth 0.5 sine 400 sine 500 vol 0.7
"$SOX_PROGRAM" -D msadpcm.wav -e signed -b 16 msadpcm_ref.wav
