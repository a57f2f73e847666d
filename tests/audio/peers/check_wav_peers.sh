#!/usr/bin/env bash
# Files written by our PCM and GSM 6.10 WAV codecs, as sox and ffmpeg see them:
#   check_wav_peers.sh <wine runner> <codec_tool.exe> <work dir>
# PCM (8/16 bits, mono/stereo, 8000 to 48000 Hz, an odd frame count): soxi's rate,
# channels, bits and length; sox's decoding and ours equal the input byte for byte.
# GSM 6.10 of a speech-like sound: soxi and ffprobe see tag 49 and 65-byte blocks of 320
# samples, ffprobe the "fact" count (soxi counts whole blocks); sox, ffmpeg and our reader
# decode the same samples, at 8000 Hz at least GSM_SNR_FLOOR_DB above the error (the codec
# is made for 8000 Hz speech; at other rates its error is larger). Tools come from SOX_PROGRAM, SOXI_PROGRAM, FFMPEG_PROGRAM, FFPROBE_PROGRAM.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/peer_checks.sh"
run=$1 tool=$2 work=$3
sox=$SOX_PROGRAM soxi=$SOXI_PROGRAM ffmpeg=$FFMPEG_PROGRAM ffprobe=$FFPROBE_PROGRAM
GSM_SNR_FLOOR_DB=14
PCM_FRAMES=3001
GSM_FRAMES=10401
speech="synth 1.4 sawtooth 110-160 lowpass 2800 equalizer 700 300 6 equalizer 1200 400 4 tremolo 3 80 vol 1.5"

rm -rf "$work"
mkdir -p "$work"
cd "$work"

pcm_cases=()
for bits in 8 16; do
  for channels in 1 2; do
    for rate in 8000 22050 48000; do
      name=pcm_${bits}_${channels}_${rate}
      encoding=signed
      [ $bits = 8 ] && encoding=unsigned
      "$sox" -D -r $rate -n -c $channels -b $bits -e $encoding -t raw $name.in \
        synth 1 sine 300 sine 450 vol 0.6 trim 0 ${PCM_FRAMES}s
      echo "encode 0 $rate $channels $bits $work/$name.in $work/$name.wav" >> jobs
      # Our reader delivers 16-bit samples whatever the file stores, as sox plays them.
      echo "decode 0 $((channels * 2)) $work/$name.wav $work/$name.ours" >> jobs
      pcm_cases+=("$name $rate $channels $bits")
    done
  done
done

gsm_cases=()
for spec in "8000 1" "22050 1" "8000 2"; do
  set -- $spec
  rate=$1 channels=$2
  name=gsm_${rate}_${channels}
  "$sox" -D -r $rate -n -c 1 -b 16 -e signed -t raw $name.mono $speech trim 0 ${GSM_FRAMES}s
  # A stereo input carries the same sound on both sides, so its mix-down is the mono input.
  sides=1
  [ $channels = 2 ] && sides="1 1"
  "$sox" -D -t raw -r $rate -c 1 -b 16 -e signed $name.mono -t raw $name.in remix $sides
  echo "encode 4 $rate $channels 16 $work/$name.in $work/$name.wav" >> jobs
  echo "decode 4 2 $work/$name.wav $work/$name.ours" >> jobs
  gsm_cases+=("$name $rate")
done

run_tool "$work/jobs" || fail "our codecs refused a job"

for c in "${pcm_cases[@]}"; do
  set -- $c
  name=$1 rate=$2 channels=$3 bits=$4
  [ -f $name.wav ] || { fail "$name.wav not written"; continue; }
  expect "$name rate" $rate "$("$soxi" -r $name.wav)"
  expect "$name channels" $channels "$("$soxi" -c $name.wav)"
  expect "$name bits" $bits "$("$soxi" -b $name.wav)"
  expect "$name length" $PCM_FRAMES "$("$soxi" -s $name.wav)"
  "$sox" -D $name.wav -t raw $name.sox
  cmp -s $name.in $name.sox || fail "$name: sox decodes other samples than were written"
  "$sox" -D $name.wav -t raw -e signed -b 16 -L $name.sox16
  cmp -s $name.sox16 $name.ours || fail "$name: our reader decodes other samples than sox plays"
done

: > snr_jobs
snr_cases=()
for c in "${gsm_cases[@]}"; do
  set -- $c
  name=$1 rate=$2
  [ -f $name.wav ] || { fail "$name.wav not written"; continue; }
  expect "$name soxi type" "wav" "$("$soxi" -t $name.wav)"
  expect "$name soxi encoding" "GSM" "$("$soxi" -e $name.wav)"
  expect "$name soxi rate" $rate "$("$soxi" -r $name.wav)"
  expect "$name soxi channels" 1 "$("$soxi" -c $name.wav)"
  blocks=$(( (GSM_FRAMES + 319) / 320 ))
  expect "$name soxi samples in whole blocks" $((blocks * 320)) "$("$soxi" -s $name.wav)"
  expect "$name ffprobe tag" "0x0031" "$("$ffprobe" -v error -show_entries stream=codec_tag -of default=nw=1:nk=1 $name.wav)"
  expect "$name ffprobe fact count" $GSM_FRAMES \
    "$("$ffprobe" -v error -show_entries stream=duration_ts -of default=nw=1:nk=1 $name.wav)"
  expect "$name ffprobe blocks (bytes, samples)" "$blocks frame,65,320" \
    "$("$ffprobe" -v error -show_entries frame=pkt_size,nb_samples -of csv $name.wav | sort | uniq -c | sed 's/^ *//')"
  "$sox" -D $name.wav -t raw -e signed -b 16 -L $name.sox
  "$ffmpeg" -v error -y -i $name.wav -f s16le -acodec pcm_s16le $name.ffmpeg
  expect "$name our decoding's length" $((GSM_FRAMES * 2)) "$(stat -c %s $name.ours)"
  for peer in sox ffmpeg; do
    head -c $((GSM_FRAMES * 2)) $name.$peer | cmp -s - $name.ours || fail "$name: $peer decodes other samples than our reader"
  done
  if [ $rate = 8000 ]; then
    echo "snr $work/$name.mono $work/$name.sox" >> snr_jobs
    echo "snr $work/$name.mono $work/$name.ffmpeg" >> snr_jobs
    snr_cases+=("$name")
  fi
done

run_tool "$work/snr_jobs" > snr.txt || fail "SNR measurement"
i=0
for name in "${snr_cases[@]}"; do
  for peer in sox ffmpeg; do
    i=$((i + 1))
    snr=$(sed -n "${i}p" snr.txt | awk '{print $2}')
    echo "$name decoded by $peer: SNR ${snr:-?} dB (floor $GSM_SNR_FLOOR_DB)"
    at_least "$name decoded by $peer: SNR (dB)" $GSM_SNR_FLOOR_DB "$snr"
  done
done

echo "${#pcm_cases[@]} PCM and ${#gsm_cases[@]} GSM files checked, $failures failure(s)"
[ $failures = 0 ]
