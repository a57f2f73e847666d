#!/usr/bin/env bash
# Encodes the same 60 s of stereo music at 44100 Hz with our MP3 codec, shineenc and
# `lame -f` at one bitrate, and prints each one's encoding time, real-time factor, speed
# against ours and SNR against the input (ffmpeg's decoding, aligned by correlation, over
# 0-15 kHz, a band all three code).
#   scripts/mp3-bench.sh [kbps]      (default 128; run after a build; not a test)
# Our time is measured inside the program under Wine, around the codec alone; the peers'
# times are their whole processes (reading the WAV file included).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
build=${ORVALEN_BUILD_DIR:-$repo/build}
kbps=${1:-128}
tool=$build/tests/audio/peers/codec_tool.exe
work=$build/mp3-bench
SECONDS_IN=60
BAND_HZ=15000
[ -f "$tool" ] || { echo "mp3-bench: FAILED: $tool is missing (build first: scripts/test.sh)" >&2; exit 1; }
for program in shineenc lame ffmpeg sox; do
  command -v $program > /dev/null || { echo "mp3-bench: FAILED: $program is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done
mkdir -p "$work"
cd "$work"
rm -f in.* *.mp3 *.decoded *.band jobs snr_jobs
raw="-t raw -r 44100 -c 2 -b 16 -e signed -L"

if bash "$repo/tests/audio/peers/music_excerpt.sh" "$build/_deps/music/frozen-mainzik-2p.xm" 20 $SECONDS_IN 44100 in.raw; then
  input="music: fb-music-high's module, $SECONDS_IN s from 0:20"
else
  input="synthesized: chords over noise (the set-up did not fetch the music package)"
  sox -R -D -n $raw in.raw synth $SECONDS_IN pluck C3 pluck E3 pluck G3 pinknoise tremolo 2 40 vol 0.3
fi
sox -D $raw in.raw in.wav

now() { date +%s.%N; }
minus() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", a - b }'; }
echo "mp3 1 1 $kbps" > jobs
echo "encode 1 44100 2 16 $work/in.raw $work/ours.mp3" >> jobs
ours=$(ORVALEN_BUILD_DIR=$build "$here/wine.sh" "$tool" "$work/jobs" | tr -d '\r' | awk '$1 == "encoded" { print $2 }')
[ -n "$ours" ] && [ -s ours.mp3 ] || { echo "mp3-bench: FAILED: our encoder wrote no ours.mp3 ($tool under Wine)" >&2; exit 1; }
start=$(now); shineenc -q -b $kbps in.wav shine.mp3; shine=$(minus "$(now)" $start)
start=$(now); lame --silent -f -b $kbps in.wav lame.mp3; lamef=$(minus "$(now)" $start)

: > snr_jobs
sox -D $raw in.raw $raw in.band sinc -$BAND_HZ
for e in ours shine lame; do
  # At low bitrates the encoders code at 22.05 or 24 kHz: every decoding is brought back
  # to the input's 44.1 kHz stereo, or the comparison measures the rate, not the coding.
  ffmpeg -v error -y -i $e.mp3 -f s16le -acodec pcm_s16le -ar 44100 -ac 2 $e.decoded 2> $e.ffmpeg.log
  sox -D $raw $e.decoded $raw $e.band sinc -$BAND_HZ
  echo "snr $work/in.band $work/$e.band 2 3000" >> snr_jobs
done
mapfile -t snr < <(ORVALEN_BUILD_DIR=$build "$here/wine.sh" "$tool" "$work/snr_jobs" | tr -d '\r' | awk '{ print $2 }')
[ ${#snr[@]} -eq 3 ] || { echo "mp3-bench: FAILED: the SNR measurement gave ${#snr[@]} of 3 figures" >&2; exit 1; }

echo "MP3 encoders at $kbps kbit/s, 44100 Hz stereo; input $input"
printf '%-22s %9s %11s %14s %10s %8s\n' encoder seconds real-time "time vs ours" "SNR (dB)" bytes
row() {  # row <name> <seconds> <snr> <file>
  awk -v n="$1" -v t="$2" -v o="$ours" -v s="$3" -v b="$(stat -c %s "$4")" -v d=$SECONDS_IN \
    'BEGIN { printf "%-22s %9.3f %10.0fx %13.2fx %10s %8s\n", n, t, d / t, t / o, s, b }'
}
row "ours (under Wine)" "$ours" "${snr[0]}" ours.mp3
row "shineenc $(dpkg-query -W -f='${Version}' shineenc 2>/dev/null)" "$shine" "${snr[1]}" shine.mp3
row "lame -f $(lame --version | head -1 | awk '{print $4}')" "$lamef" "${snr[2]}" lame.mp3
for e in ours shine lame; do
  [ -s $e.ffmpeg.log ] && echo "ffmpeg on $e.mp3: $(sort -u $e.ffmpeg.log | head -2 | tr '\n' ' ')"
done
true
