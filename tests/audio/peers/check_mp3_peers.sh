#!/usr/bin/env bash
# Files written by our MP3 codec, as ffmpeg, ffprobe, sox and libmad see them:
#   check_mp3_peers.sh <wine runner> <codec_tool.exe> <work dir>
# Mono and stereo (and one stereo capture mixed down) at every capture rate from 8000 to
# 48000 Hz, each at the lowest, a middle and the highest bitrate of its list. Each file:
# ffmpeg (-v error) and sox decode it without a message, libmad without an error; the
# first header's version bit, and ffprobe's rate, channels and bitrate, are the expected
# ones; every frame has the constant bitrate's length (or one padding byte more); the
# frames last at least as long as the input and less than one codec frame (1152 input
# frames) more; ffmpeg, libmad and sox decode the same samples. Tools come from
# SOX_PROGRAM, FFMPEG_PROGRAM and FFPROBE_PROGRAM.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/peer_checks.sh"
run=$1 tool=$2 work=$3
sox=$SOX_PROGRAM ffmpeg=$FFMPEG_PROGRAM ffprobe=$FFPROBE_PROGRAM
# Decoders of one stream agree far beyond any coding error.
DECODERS_AGREE_DB=60
SECONDS_IN=1.3

rm -rf "$work"
mkdir -p "$work"
cd "$work"

cases=()
add_case() {  # add_case <rate> <channels> <channel mode> <kbps>
  local rate=$1 channels=$2 mode=$3 kbps=$4
  local name=mp3_${rate}_${channels}_${mode}_${kbps}
  local frames
  frames=$(awk -v r=$rate -v s=$SECONDS_IN 'BEGIN { printf "%d", r * s + 77 }')
  if [ ! -f in_${rate}_${channels}.raw ]; then
    # Left a rising sweep, right a falling one over a low tone.
    "$sox" -D -r $rate -n -c $channels -b 16 -e signed -t raw in_${rate}_${channels}.raw \
      synth 2 sine 100-$((rate * 2 / 5)) sine $((rate * 2 / 5))-100 vol 0.5 trim 0 ${frames}s
  fi
  echo "mp3 1 $mode $kbps" >> jobs
  echo "encode 1 $rate $channels 16 $work/in_${rate}_${channels}.raw $work/$name.mp3" >> jobs
  echo "mad $work/$name.mp3 $work/$name.mad" >> jobs
  cases+=("$name $rate $channels $mode $kbps $frames")
}

for rate in 8000 11025 16000 22050 32000 44100 48000; do
  if [ $rate -ge 32000 ]; then bitrates="32 128 320"; else bitrates="16 64 160"; fi
  for channels in 1 2; do
    for kbps in $bitrates; do add_case $rate $channels 1 $kbps; done
  done
done
add_case 44100 2 0 128

run_tool "$work/jobs" | tr -d '\r' > tool.txt || fail "our codec or libmad refused a job (see above)"

: > agree_jobs
agree_cases=()
ffmpeg_inputs=()
ffmpeg_outputs=()
for c in "${cases[@]}"; do
  set -- $c
  name=$1 rate=$2 channels=$3 mode=$4 kbps=$5 frames=$6
  [ -f $name.mp3 ] || { fail "$name.mp3 not written"; continue; }
  # What the encoder makes of it: doubled low rates, halved two-channel low bitrates,
  # mono MPEG-1 above 160 kbit/s at 160.
  coded=$channels
  [ $channels = 2 ] && [ $mode = 0 ] && coded=1
  out_rate=$rate
  [ $rate -lt 16000 ] && out_rate=$((rate * 2))
  [ $coded = 2 ] && [ $rate -ge 32000 ] && [ $kbps -lt 96 ] && out_rate=$((rate / 2))
  out_kbps=$kbps
  [ $coded = 1 ] && [ $out_rate -ge 32000 ] && [ $kbps -gt 160 ] && out_kbps=160
  if [ $out_rate -ge 32000 ]; then
    version_byte=fb frame_samples=1152 bytes_per_kbps=144000
  else
    version_byte=f3 frame_samples=576 bytes_per_kbps=72000
  fi
  expect "$name version" "ff $version_byte" "$(head -c 2 $name.mp3 | od -An -tx1 | sed 's/^ *//')"
  # One ffprobe run: a line per frame, then the stream's.
  "$ffprobe" -v error -count_packets -of compact=nk=0 \
    -show_entries stream=sample_rate,channels,bit_rate,nb_read_packets:packet=size $name.mp3 > probe.txt
  stream=$(grep '^stream|' probe.txt | tr '|=' '  ')
  expect "$name ffprobe rate, channels, bitrate" "$out_rate $coded $((out_kbps * 1000))" \
    "$(echo $stream | awk '{ print $3, $5, $7 }')"
  packets=$(echo $stream | awk '{ print $9 }')
  whole=$((bytes_per_kbps * out_kbps / out_rate))
  for size in $(grep '^packet|' probe.txt | cut -d= -f2 | sort -un); do
    [ $size = $whole ] || [ $size = $((whole + 1)) ] || fail "$name: a frame of $size bytes (constant: $whole or $((whole + 1)))"
  done
  # Durations compared in units of 1 / (rate x out_rate) s.
  longer=$((${packets:-0} * frame_samples * rate - frames * out_rate))
  [ $longer -ge 0 ] && [ $longer -lt $((1152 * out_rate)) ] ||
    fail "$name: ${packets:-no} frames of $frame_samples at $out_rate Hz for $frames input frames at $rate Hz"
  expect "$name libmad frames, channels, rate, bitrate" "$packets $coded $out_rate $((out_kbps * 1000))" \
    "$(awk -v f="$work/$name.mp3" '$1 == "mad" && $6 == f { print $2, $3, $4, $5 }' tool.txt)"
  "$sox" -V2 $name.mp3 -t raw -e signed -b 16 -L $name.sox 2> sox.err || fail "$name: sox failed"
  [ -s sox.err ] && fail "$name: sox said: $(head -3 sox.err)"
  ffmpeg_inputs+=(-i $name.mp3)
  ffmpeg_outputs+=(-map ${#agree_cases[@]}:a -f s16le -acodec pcm_s16le $name.ffmpeg)
  echo "snr $work/$name.mad $work/$name.ffmpeg $coded 0" >> agree_jobs
  echo "snr $work/$name.sox $work/$name.ffmpeg $coded 0" >> agree_jobs
  agree_cases+=("$name")
done
# One ffmpeg run decodes every file: its messages name no file, so any fails them all.
"$ffmpeg" -v error -y "${ffmpeg_inputs[@]}" "${ffmpeg_outputs[@]}" 2> ffmpeg.err || fail "ffmpeg failed"
[ -s ffmpeg.err ] && fail "ffmpeg said: $(sort -u ffmpeg.err | head -5)"

run_tool "$work/agree_jobs" | tr -d '\r' > agree.txt || fail "comparing the decoders"
i=0
for name in "${agree_cases[@]}"; do
  for peer in libmad sox; do
    i=$((i + 1))
    at_least "$name: $peer against ffmpeg (dB)" $DECODERS_AGREE_DB "$(sed -n "${i}p" agree.txt | awk '{print $2}')"
  done
done

echo "${#cases[@]} MP3 files checked, $failures failure(s)"
[ $failures = 0 ]
