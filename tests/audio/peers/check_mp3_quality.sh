#!/usr/bin/env bash
# How close our MP3 codec's files, decoded by ffmpeg, come to their input:
#   check_mp3_quality.sh <wine runner> <codec_tool.exe> <work dir> <signal>...
# Signals: "sweep" (a sine sweep), "speech" (noise shaped and paced like speech), "music"
# (an excerpt of the tracker module the set-up took out of a Debian package; MUSIC_MODULE). Each is coded as 44100 Hz stereo at 128 kbit/s and as 22050 Hz mono at
# 64 kbit/s; input and decoding are both cut to the coded band, the decoder's delay is
# found by correlation, and the SNR must reach the floor below. Tools come from
# SOX_PROGRAM and FFMPEG_PROGRAM.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/peer_checks.sh"
run=$1 tool=$2 work=$3
shift 3
sox=$SOX_PROGRAM ffmpeg=$FFMPEG_PROGRAM
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SECONDS_IN=8
MAX_LAG=3000
# rate channels kbps band-Hz: the band is what the encoder codes at that bitrate
# (24 and 30 of 32 subbands), less a margin for the filters' slopes.
CONFIGS=("44100 2 128 15700" "22050 1 64 9800")
declare -A FLOOR=(
  [sweep_44100]=46 [sweep_22050]=45
  [speech_44100]=18 [speech_22050]=18
  [music_44100]=22 [music_22050]=26
)

mkdir -p "$work"
cd "$work"
rm -f *.raw *.mp3 jobs snr.txt
raw() {  # raw <rate> <channels>: sox's options for our raw PCM
  echo "-t raw -r $1 -c $2 -b 16 -e signed -L"
}

make_signal() {  # make_signal <signal> <rate> <channels> <out.raw>
  local signal=$1 rate=$2 channels=$3 out=$4
  local sides=""
  [ $channels = 2 ] && sides="remix 1 1"
  case $signal in
    sweep) "$sox" -D -n $(raw $rate 1) - synth $SECONDS_IN sine 50-$((rate * 2 / 5)) vol 0.5 |
             "$sox" -D $(raw $rate 1) - $(raw $rate $channels) $out $sides ;;
    speech) "$sox" -R -D -n $(raw $rate 1) - synth $SECONDS_IN pinknoise highpass 150 lowpass 3500 \
              equalizer 700 300 6 equalizer 1500 500 4 tremolo 4 90 gain -n -6 |
              "$sox" -D $(raw $rate 1) - $(raw $rate $channels) $out $sides ;;
    music)
      "$here/music_excerpt.sh" "$MUSIC_MODULE" 20 $SECONDS_IN $rate music_$rate.stereo || return $?
      if [ $channels = 1 ]; then
        "$sox" -D $(raw $rate 2) music_$rate.stereo $(raw $rate 1) $out remix 1,2
      else
        mv music_$rate.stereo $out
      fi ;;
  esac
}

cases=()
for signal in "$@"; do
  for config in "${CONFIGS[@]}"; do
    set -- $config
    rate=$1 channels=$2 kbps=$3 band=$4
    name=${signal}_$rate
    status=0
    make_signal $signal $rate $channels $name.in || status=$?
    [ $status = 0 ] || { fail "$name: no input"; continue; }
    echo "mp3 1 1 $kbps" >> jobs
    echo "encode 1 $rate $channels 16 $work/$name.in $work/$name.mp3" >> jobs
    cases+=("$name $rate $channels $band")
  done
done
run_tool "$work/jobs" > /dev/null || fail "our codec refused a job"

: > snr_jobs
for c in "${cases[@]}"; do
  set -- $c
  name=$1 rate=$2 channels=$3 band=$4
  "$ffmpeg" -v error -y -i $name.mp3 -f s16le -acodec pcm_s16le $name.decoded || fail "$name: ffmpeg failed"
  for f in in decoded; do "$sox" -D $(raw $rate $channels) $name.$f $(raw $rate $channels) $name.$f.band sinc -$band; done
  echo "snr $work/$name.in.band $work/$name.decoded.band $channels $MAX_LAG" >> snr_jobs
done
run_tool "$work/snr_jobs" | tr -d '\r' > snr.txt || fail "SNR measurement"
i=0
for c in "${cases[@]}"; do
  set -- $c
  i=$((i + 1))
  snr=$(sed -n "${i}p" snr.txt | awk '{print $2}')
  echo "$1 ($2 Hz, $3 channel(s)): SNR ${snr:-?} dB over 0-$4 Hz (floor ${FLOOR[$1]})"
  at_least "$1: SNR (dB)" ${FLOOR[$1]} "$snr"
done
echo "${#cases[@]} signals checked, $failures failure(s)"
[ $failures = 0 ]
