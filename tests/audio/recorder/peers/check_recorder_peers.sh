#!/usr/bin/env bash
# Recordings made through the recorder dialog, as sox and ffmpeg see them:
#   check_recorder_peers.sh <wine runner> <recorder_tool.exe> <work dir> <codec_tool.exe>
# Each recording hears a tone of its own (ALSA's capture reads ORVALEN_CAPTURE_TONE, a
# sox-made file, long enough for a capture that runs faster than the clock) for about 3 s, as WAV PCM, WAV GSM 6.10 and MP3 ("WaveInCodec" 0, 4, 1).
# soxi and ffprobe must see the dialog's format (22050 Hz, one channel), sox and ffmpeg
# decode without a word on stderr, the length is within 0.2 s of what the capture delivered
# (Wine's capture of ALSA's null device is not paced by a clock, so the dialog's own time is
# no measure here), and the decoded tone is the input's within 2 Hz. A WAV closed by Cancel while
# recording has header sizes that match its data. A recording cut off (the process
# terminated while recording, as a reset or a flat battery would end it) reads to its last
# whole block in our reader, sox and ffmpeg, and holds all but its last moments, also when
# it is longer than its header's first sizes could say.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../peers/peer_checks.sh"
run=$1 tool=$2 work=$3 codec_tool=$4
sox=$SOX_PROGRAM soxi=$SOXI_PROGRAM ffmpeg=$FFMPEG_PROGRAM ffprobe=$FFPROBE_PROGRAM
RECORD_MS=3000

rm -rf "$work"
mkdir -p "$work"
cd "$work"

# The tone's frequency in 16-bit mono raw samples.
frequency() {
  python3 - "$1" "$2" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
rate = int(sys.argv[2])
samples = struct.unpack('<%dh' % (len(data) // 2), data[:len(data) // 2 * 2])
# Leave out the first and last 0.3 s (start-up and the codec's padding).
cut = int(0.3 * rate)
mid = samples[cut:len(samples) - cut]
# Upward zero crossings placed between samples; the median period is the tone's (a gap
# where Wine's capture dropped data moves no median).
ups = [i - 1 + mid[i - 1] / (mid[i - 1] - mid[i]) for i in range(1, len(mid)) if mid[i - 1] < 0 <= mid[i]]
periods = sorted(b - a for a, b in zip(ups, ups[1:]))
print('%.2f' % (rate / periods[len(periods) // 2]) if periods else 0)
PY
}

# RIFF size = file size - 8; the data chunk's size = the bytes that follow its header.
wav_sizes_match() {
  python3 - "$1" <<'PY'
import struct, sys
b = open(sys.argv[1], 'rb').read()
ok = b[:4] == b'RIFF' and struct.unpack('<I', b[4:8])[0] == len(b) - 8
pos = 12
data_ok = False
while pos + 8 <= len(b):
    cid, size = b[pos:pos + 4], struct.unpack('<I', b[pos + 4:pos + 8])[0]
    if cid == b'data':
        data_ok = pos + 8 + size <= len(b) and len(b) - (pos + 8 + size) < 4
        break
    pos += 8 + size + (size & 1)
print('yes' if ok and data_ok else 'no')
PY
}

record() {  # record <name> <codec> <hz> [cancel]
  local name=$1 codec=$2 hz=$3 mode=${4:-}
  "$sox" -D -n -r 44100 -b 16 -c 1 -e signed -L -t raw $name.tone synth 60 sine $hz vol 0.5
  ORVALEN_CAPTURE_TONE=$work/$name.tone timeout 120 "$run" --start-mark "$tool" $codec $RECORD_MS "$work/$name" $mode \
    > $name.out || fail "$name: the dialog did not record (exit $?)"
  sed -n 's/^recorded [0-9]* captured \([0-9]*\).*/\1/p' $name.out | tr -d '\r'
}

for spec in "pcm.wav 0 440 pcm_s16le" "gsm.wav 4 523 gsm_ms" "rec.mp3 1 659 mp3"; do
  set -- $spec
  name=$1 codec=$2 hz=$3 expected_codec=$4
  ms=$(record $name $codec $hz)
  [ -s $name ] || { fail "$name not written"; continue; }
  expect "$name codec" $expected_codec "$("$ffprobe" -v error -select_streams a:0 -show_entries stream=codec_name -of csv=p=0 $name)"
  expect "$name rate" 22050 "$("$ffprobe" -v error -select_streams a:0 -show_entries stream=sample_rate -of csv=p=0 $name)"
  expect "$name channels" 1 "$("$ffprobe" -v error -select_streams a:0 -show_entries stream=channels -of csv=p=0 $name)"
  expect "$name soxi rate" 22050 "$("$soxi" -r $name)"
  expect "$name soxi channels" 1 "$("$soxi" -c $name)"
  "$ffmpeg" -v error -nostdin -i $name -f s16le -ac 1 -ar 22050 -y $name.ffmpeg.raw 2> $name.ffmpeg.err || fail "$name: ffmpeg failed"
  [ -s $name.ffmpeg.err ] && fail "$name: ffmpeg said: $(head -c 300 $name.ffmpeg.err)"
  "$sox" -V2 $name -t raw -e signed -b 16 -c 1 $name.sox.raw 2> $name.sox.err || fail "$name: sox failed"
  [ -s $name.sox.err ] && fail "$name: sox said: $(head -c 300 $name.sox.err)"
  duration=$("$ffprobe" -v error -show_entries format=duration -of csv=p=0 $name)
  awk -v d="$duration" -v ms="${ms:-0}" 'BEGIN { e = d - ms / 1000; exit !(e < 0.2 && e > -0.2) }' \
    || fail "$name: lasts $duration s, the capture delivered $ms ms"
  got=$(frequency $name.ffmpeg.raw 22050)
  awk -v f="$got" -v w=$hz 'BEGIN { exit !(f - w < 2 && w - f < 2) }' || fail "$name: tone $got Hz, wanted $hz"
  [ $codec = 1 ] || expect "$name header sizes match" yes "$(wav_sizes_match $name)"
  echo "$name: $expected_codec, $duration s for $ms ms captured, $got Hz for $hz"
done

# Closed by Cancel while recording: still a whole file.
record cancelled.wav 0 440 cancel > /dev/null
[ -s cancelled.wav ] || fail "cancelled.wav not written"
expect "cancelled.wav header sizes match" yes "$(wav_sizes_match cancelled.wav)"
"$sox" -V2 cancelled.wav -n 2> cancelled.err || fail "cancelled.wav: sox failed"
[ -s cancelled.err ] && fail "cancelled.wav: sox said: $(head -c 300 cancelled.err)"

# The sample frames in the whole blocks of a WAV file (PCM or GSM 6.10, mono) or in the
# whole frames of the recorder's MP3 (MPEG-2 layer III, 576 samples a frame).
whole_frames() {
  python3 - "$1" <<'PY'
import struct, sys
b = open(sys.argv[1], 'rb').read()
if b[:4] == b'RIFF':
    pos, tag, start = 12, None, len(b)
    while pos + 8 <= len(b):
        cid, size = b[pos:pos + 4], struct.unpack('<I', b[pos + 4:pos + 8])[0]
        if cid == b'fmt ':
            tag = struct.unpack('<H', b[pos + 8:pos + 10])[0]
        if cid == b'data':
            start = pos + 8
            break
        pos += 8 + size + (size & 1)
    print((len(b) - start) // 2 if tag == 1 else (len(b) - start) // 65 * 320)
else:
    rates, kbps = {0: 22050, 1: 24000, 2: 16000}, [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160]
    pos = frames = 0
    while pos + 4 <= len(b) and b[pos] == 0xFF and b[pos + 1] & 0xE0 == 0xE0:
        length = 72000 * kbps[b[pos + 2] >> 4] // rates[b[pos + 2] >> 2 & 3] + (b[pos + 2] >> 1 & 1)
        if pos + length > len(b):
            break
        pos, frames = pos + length, frames + 1
    print(frames * 576)
PY
}
samples() { echo $(($(stat -c %s "$1" 2> /dev/null || echo 0) / 2)); }

for spec in "killed.wav 0 440" "killed-gsm.wav 4 523" "killed.mp3 1 659"; do
  set -- $spec
  name=$1 codec=$2 hz=$3
  ms=$(record $name $codec $hz kill)
  [ -s $name ] || { fail "$name: nothing written after ${ms:-?} ms captured"; continue; }
  frames=$(whole_frames $name)
  at_least "$name: ms kept of ${ms:-?} captured" $((${ms:-0} - 2000)) $((frames * 1000 / 22050))
  "$sox" $name -t raw -e signed -b 16 -c 1 $name.sox.raw 2> $name.sox.err || fail "$name: sox failed: $(head -c 300 $name.sox.err)"
  "$ffmpeg" -v error -nostdin -i $name -f s16le -ac 1 -y $name.ffmpeg.raw 2> /dev/null || fail "$name: ffmpeg failed"
  if [ $codec = 1 ]; then
    # MPEG decoders differ by a frame at the ends (ffmpeg conceals the cut-off last one).
    within_a_frame() {
      awk -v got="$2" -v want=$frames 'BEGIN { exit !(got >= want - 576 && got <= want + 576) }' ||
        fail "$name: $1's samples: $2, wanted $frames within a frame"
    }
    within_a_frame ffmpeg "$(samples $name.ffmpeg.raw)"
    within_a_frame sox "$(samples $name.sox.raw)"
    echo "mad-cut $work/$name $work/$name.ours.raw" > $name.jobs
  else
    expect "$name: ffmpeg's samples" $frames "$(samples $name.ffmpeg.raw)"
    expect "$name: sox's samples" $frames "$(samples $name.sox.raw)"
    echo "decode $codec 2 $work/$name $work/$name.ours.raw" > $name.jobs
  fi
  "$run" --start-mark "$codec_tool" $name.jobs > /dev/null || fail "$name: our reader failed"
  expect "$name: our samples" $frames "$(samples $name.ours.raw)"
  echo "$name: cut off after $ms ms captured, $((frames * 1000 / 22050)) ms read by all"
done

# Past the 758 MB a size of "----" would stand for: the cut-off recording's header on a
# sparse file of 760 MiB reads to its end in sox and ffmpeg.
if [ -s killed.wav ]; then
  long=$((760 << 20))
  head -c 44 killed.wav > long.wav
  truncate -s $long long.wav
  expect "long.wav: sox's bytes" $((long - 44)) "$("$sox" long.wav -t raw - 2> /dev/null | wc -c)"
  expect "long.wav: ffmpeg's bytes" $((long - 44)) "$("$ffmpeg" -v error -nostdin -i long.wav -f s16le - 2> /dev/null | wc -c)"
  rm -f long.wav
fi

[ $failures = 0 ] || { echo "$failures failures" >&2; exit 1; }
echo "all recordings pass"
