#!/usr/bin/env bash
# Makes the files the format reader tests decode, and each one's reference decoding by an
# independent decoder (raw 16-bit little-endian PCM): make_reader_fixtures.sh <out-dir>
# Tools come from SOX_PROGRAM, LAME_PROGRAM, OGGENC_PROGRAM, FFMPEG_PROGRAM. No dither.
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"
"$SOX_PROGRAM" -D -n -r 44100 -b 16 -c 2 src_stereo.wav synth 3 sine 440 sine 660 vol 0.5
"$SOX_PROGRAM" -D -n -r 22050 -b 16 -c 1 src_mono.wav synth 2 sine 500 vol 0.5

# WAV: 8-bit unsigned mono and 16-bit stereo; their data is the reference.
"$SOX_PROGRAM" -D src_mono.wav -b 8 -e unsigned wav8_mono.wav
"$SOX_PROGRAM" -D src_stereo.wav -b 16 wav16_stereo.wav

# MP3 without the encoder's info frame (-t), so every decoder sees the same frames;
# ffmpeg's decoding is the reference.
"$LAME_PROGRAM" --quiet -t -b 128 --tt "Stereo Title" --ta "Stereo Artist" --id3v2-only src_stereo.wav mp3_128_stereo.mp3
"$LAME_PROGRAM" --quiet -t -b 64 --tt "Mono Title" --ta "Mono Artist" --tl "Mono Album" --ty 2024 --tc "A comment" --tn 7 \
  --id3v1-only src_mono.wav mp3_64_mono.mp3
"$LAME_PROGRAM" --quiet -t -b 32 --resample 16 src_mono.wav mp3_32_16k.mp3
for f in mp3_128_stereo mp3_64_mono mp3_32_16k; do
  "$FFMPEG_PROGRAM" -v error -y -i $f.mp3 -f s16le -acodec pcm_s16le $f.raw
done
# Layer II, which libmad decodes too.
"$FFMPEG_PROGRAM" -v error -y -i src_stereo.wav -c:a mp2 -b:a 192k mp2_stereo.mp2
"$FFMPEG_PROGRAM" -v error -y -i mp2_stereo.mp2 -f s16le -acodec pcm_s16le mp2_stereo.raw

# Ogg Vorbis with comments; sox (libvorbis) decodes the reference.
"$OGGENC_PROGRAM" -Q --serial 7 -q 4 -t "Ogg Title" -a "Ogg Artist" -c "MOOD=calm" -o ogg_stereo.ogg src_stereo.wav
"$OGGENC_PROGRAM" -Q --serial 8 -q 2 -o ogg_mono.ogg src_mono.wav
# Mono over several audio pages (a sweep: each page ends at its own sample count).
"$SOX_PROGRAM" -D -n -r 22050 -b 16 -c 1 src_sweep.wav synth 4 sine 300-3000 vol 0.5
"$OGGENC_PROGRAM" -Q --serial 9 -q 2 -o ogg_mono_pages.ogg src_sweep.wav
for f in ogg_stereo ogg_mono ogg_mono_pages; do
  "$SOX_PROGRAM" -D $f.ogg -t raw -e signed -b 16 -L $f.raw
done
# 400 s of mono silence at 44.1 kHz: 35 MB of PCM that oggenc packs into about 40 KB.
"$SOX_PROGRAM" -D -n -r 44100 -b 16 -c 1 -t wav - trim 0 400 | "$OGGENC_PROGRAM" -Q --serial 10 -q 2 -o ogg_silence.ogg -
# 420 s of stereo at 44.1 kHz, a second of a tone and then silence: 74 MB of PCM, more
# than a sample may hold, in about 30 KB.
"$SOX_PROGRAM" -D -n -r 44100 -b 16 -c 2 -t wav - synth 1 sine 440 vol 0.5 pad 0 419 |
  "$OGGENC_PROGRAM" -Q --serial 11 -q 2 -o ogg_tone_then_silence.ogg -

# WAV written to a pipe, where the writer cannot seek back to fix the header: ffmpeg
# leaves the sizes at 0xFFFFFFFF, sox near 0x7FFFF000 (and writes 32-bit PCM). ffmpeg
# decodes the references.
"$FFMPEG_PROGRAM" -v error -f lavfi -i sine=d=0.5 -f wav - | cat > pipe_ffmpeg.wav
"$SOX_PROGRAM" -n -t wav - synth 0.5 sine 440 2>/dev/null | cat > pipe_sox.wav
for f in pipe_ffmpeg pipe_sox; do
  "$FFMPEG_PROGRAM" -v error -y -i $f.wav -f s16le -acodec pcm_s16le $f.raw
done

# MP3 as current encoders write it, with the information frame ("Xing" for variable,
# "Info" for constant bit rate) in front of the audio.
"$LAME_PROGRAM" --quiet -V 2 src_stereo.wav lame_vbr.mp3
"$LAME_PROGRAM" --quiet -b 128 src_stereo.wav lame_cbr.mp3
for f in lame_vbr lame_cbr; do
  "$FFMPEG_PROGRAM" -v error -y -i $f.mp3 -f s16le -acodec pcm_s16le $f.raw
done
