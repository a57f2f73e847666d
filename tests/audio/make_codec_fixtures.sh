#!/usr/bin/env bash
# Makes the WAV and WMA files the codec tests read, each with a peer's own decoding of it
# as raw little-endian PCM, and the filter tests' signals: make_codec_fixtures.sh <out-dir>.
# sox comes from SOX_PROGRAM, ffmpeg from FFMPEG_PROGRAM, ffprobe from FFPROBE_PROGRAM. No
# dither (-D), so every build makes the same samples (noise aside: the filter signals use
# -R for that too).
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"
sox=$SOX_PROGRAM
"$sox" -D -n -r 44100 -b 16 -c 2 pcm16_stereo.wav synth 0.5 sine 440 sine 660 vol 0.6
"$sox" -D -n -r 8000 -b 8 -e unsigned -c 1 pcm8_mono.wav synth 0.7 sine 300 vol 0.7
# ffmpeg puts a "LIST" chunk between "fmt " and "data".
"$FFMPEG_PROGRAM" -v error -y -i pcm16_stereo.wav -c:a pcm_s16le pcm16_list.wav
for f in pcm16_stereo pcm8_mono pcm16_list; do "$sox" -D $f.wav -t raw $f.raw; done
# How sox plays the 8-bit file: widened to signed 16 bits.
"$sox" -D pcm8_mono.wav -t raw -e signed -b 16 -L pcm8_mono16.raw
# GSM 6.10 of a speech-like sound (a gliding buzz with two formants and syllables), at
# lengths that end inside a block.
speech="synth 1.3 sawtooth 110-160 lowpass 2800 equalizer 700 300 6 equalizer 1200 400 4 tremolo 3 80 vol 1.5"
"$sox" -D -n -r 8000 -c 1 -e gsm-full-rate gsm_8000.wav $speech
"$sox" -D -n -r 44100 -c 1 -e gsm-full-rate gsm_44100.wav $speech
# Noise leaves the decoder little memory, so a decoding that starts after a seek soon
# matches the one from the start.
"$sox" -D -n -r 8000 -c 1 -e gsm-full-rate gsm_noise.wav synth 1.3 whitenoise vol 0.5
for f in gsm_8000 gsm_44100 gsm_noise; do "$sox" -D $f.wav -t raw -e signed -b 16 -L $f.raw; done
# Filter inputs: tones broken by silence, by noise below the voice activator's threshold
# and by a tone on one side only (44100 Hz stereo); a loud and a soft tone (22050 Hz mono).
piece() {  # piece <name> <sox effects...>
  local name=$1
  shift
  "$sox" -R -D -n -r 44100 -c 2 -b 16 -e signed -t raw $name.part "$@"
}
piece p1 synth 0.25 sine 440 sine 660 vol 0.5
piece p2 trim 0 0.5
piece p3 synth 0.1 sine 500 sine 700 vol 0.5
piece p4 synth 0.45 whitenoise vol 0.04
piece p5 synth 0.2 sine 300 sine 300 vol 0.5 remix 1 0
piece p6 trim 0 0.2
piece p7 synth 0.1 sine 440 sine 440 vol 0.6
parts=()
for p in p1 p2 p3 p4 p5 p6 p7; do parts+=(-t raw -r 44100 -c 2 -b 16 -e signed $p.part); done
"$sox" -D "${parts[@]}" -t raw filter_pauses_stereo.raw
rm -f p?.part
"$sox" -D -n -r 22050 -c 1 -b 16 -e signed -t raw loud.part synth 0.3 sine 1000 vol 0.9
"$sox" -D -n -r 22050 -c 1 -b 16 -e signed -t raw soft.part synth 0.2 sine 250 vol 0.2
"$sox" -D -t raw -r 22050 -c 1 -b 16 -e signed loud.part -t raw -r 22050 -c 1 -b 16 -e signed soft.part \
  -t raw filter_tones_mono.raw
rm -f loud.part soft.part
# WMA (ASF) files by ffmpeg's encoders, each with ffmpeg's own decoding as raw 16-bit PCM and
# what ffprobe reports of it: "<rate> <channels> <duration ms> <media objects>". Mono holds
# 440 Hz and 660 Hz mixed, stereo one on each side.
for codec in wmav1 wmav2; do
  for channels in 1 2; do
    for rate in 22050 44100; do
      name=${codec}_${channels}_${rate}
      "$FFMPEG_PROGRAM" -v error -y -f lavfi -i "sine=frequency=440:sample_rate=$rate:duration=1.2" \
        -f lavfi -i "sine=frequency=660:sample_rate=$rate:duration=1.2" \
        -filter_complex "[0][1]amerge=inputs=2,pan=$([ $channels = 1 ] && echo 'mono|c0=0.3*c0+0.3*c1' || echo 'stereo|c0=0.6*c0|c1=0.6*c1')" \
        -ac $channels -c:a $codec -b:a 64k -metadata title="Morning Bell" -metadata author="Orvalen Tests" \
        -metadata comment="A test tone" $name.wma
      "$FFMPEG_PROGRAM" -v error -y -i $name.wma -f s16le -c:a pcm_s16le $name.raw
      "$FFPROBE_PROGRAM" -v error -count_packets -select_streams a:0 \
        -show_entries stream=sample_rate,channels,nb_read_packets:format=duration -of default=nw=1 $name.wma |
        awk -F= '{ v[$1] = $2 } END { printf "%d %d %d %d\n", v["sample_rate"], v["channels"], v["duration"] * 1000 + 0.5, v["nb_read_packets"] }' \
        > $name.facts
    done
  done
done
# The player's signals: a constant level for the fades (22050 Hz mono) and a sine at each
# equaliser band's centre (44100 Hz mono, -20 dBFS).
"$sox" -D -r 22050 -n -c 1 -b 16 player_level.wav synth 0.5 square 0.5 vol 0.4
for hz in 32 63 125 250 500 1000 2000 4000 8000 16000; do
  "$sox" -D -r 44100 -n -c 1 -b 16 player_eq_$hz.wav synth 0.8 sine $hz vol 0.1
done
# Sox's band-pass in its constant-peak form is the equaliser's band filter: one white noise
# through it at each band the design leaves near its ideal coefficients, with the Q that
# gives the design's alpha (tan(w / q) = sin(w) / 2Q), as 32-bit float.
"$sox" -D -R -r 44100 -n -c 1 -b 16 -t raw player_eq_noise.raw synth 1 whitenoise vol 0.3
for hz in 250 500 1000 2000 4000 8000 16000; do
  q=$(awk -v f=$hz 'BEGIN { w = f * 6.28318 / 44100; t = sin(w * (0.8 - f * 2e-5) / 2);
                           t /= cos(w * (0.8 - f * 2e-5) / 2); printf "%.9f", sin(w) / (2 * t) }')
  "$sox" -D -r 44100 -c 1 -b 16 -e signed -t raw player_eq_noise.raw -t raw -e floating-point -b 32 \
    player_eq_bp_$hz.f32 bandpass $hz ${q}q
done
