#!/usr/bin/env bash
# Makes the files the AIFF and sample-bank tests read: make_bank_fixtures.sh <out-dir>
# sox comes from SOX_PROGRAM. No dither (-D) and no comment chunk, so every build makes
# the same samples.
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"
sox=("$SOX_PROGRAM" -D --no-show-progress)

# AIFF in every width and layout the reader takes, at rates from 8000 to 48000 Hz, each
# with sox's own reading of it as signed little-endian PCM.
make_aiff() {  # name bits channels rate
  "${sox[@]}" -n -r "$4" -b "$2" -c "$3" --comment "" "$1.aiff" synth 0.3 sine 440 sine 660 vol 0.6
  "${sox[@]}" "$1.aiff" -t raw -e signed -L "$1.raw"
}
make_aiff aiff_m8_8000 8 1 8000
make_aiff aiff_s8_22050 8 2 22050
make_aiff aiff_s16_11025 16 2 11025
make_aiff aiff_m16_37800 16 1 37800
make_aiff aiff_s16_44100 16 2 44100
make_aiff aiff_m16_48000 16 1 48000
# Refused: compressed (AIFC) and 24-bit.
"${sox[@]}" -n -r 8000 -e a-law -t aifc aiff_alaw.aifc synth 0.1 sine 300 2>/dev/null
"${sox[@]}" -n -r 8000 -b 24 aiff_24.aiff synth 0.1 sine 300

# Sound data for banks: PCM as sox writes it raw, IMA ADPCM as sox encodes it in WAV
# blocks, with sox's decoding of it beside.
"${sox[@]}" -n -r 22050 -b 16 -c 1 -e signed -t raw pcm_1_16.raw synth 0.4 sine 500 vol 0.7
"${sox[@]}" -n -r 11025 -b 8 -c 2 -e signed -t raw pcm_2_8.raw synth 0.3 sine 300 sine 450 vol 0.7
"${sox[@]}" -n -r 16000 -b 16 -c 4 -e signed -t raw pcm_4_16.raw synth 0.25 sine 200 sine 300 sine 400 sine 500 vol 0.5
"${sox[@]}" -n -r 22050 -c 1 -e ima-adpcm ima_1.wav synth 0.3 sine 600 vol 0.7
"${sox[@]}" -n -r 22050 -c 2 -e ima-adpcm ima_2.wav synth 0.3 sine 600 sine 800 vol 0.7
"${sox[@]}" -n -r 16000 -c 4 -e ima-adpcm ima_4.wav synth 0.25 sine 200 sine 300 sine 400 sine 500 vol 0.5
for f in ima_1 ima_2 ima_4; do
  "${sox[@]}" $f.wav -t raw -e signed -b 16 -L ${f}_ref.raw
done
