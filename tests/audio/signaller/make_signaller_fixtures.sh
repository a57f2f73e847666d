#!/usr/bin/env bash
# Makes the sounds the signaller tests ring, each with the real tool: a 440 Hz tone of
# 0.5 s as WAV (sox), MP3 (lame), Ogg Vorbis (oggenc) and WMA (ffmpeg), an empty file and
# a file of text that no reader takes. Tools come from SOX_PROGRAM, LAME_PROGRAM,
# OGGENC_PROGRAM, FFMPEG_PROGRAM.
#   make_signaller_fixtures.sh <out-dir>
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"
"$SOX_PROGRAM" -D -n -r 44100 -b 16 -c 1 tone440.wav synth 0.5 sine 440 vol 0.5
"$LAME_PROGRAM" --quiet -b 128 tone440.wav tone440.mp3
"$OGGENC_PROGRAM" -Q --serial 1 -q 4 -o tone440.ogg tone440.wav
"$FFMPEG_PROGRAM" -nostdin -loglevel error -y -i tone440.wav -c:a wmav2 -b:a 64k tone440.wma
: >empty.wav
for _ in $(seq 512); do printf "this is no sound"; done >damaged.mp3
