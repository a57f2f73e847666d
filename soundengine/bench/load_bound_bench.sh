#!/usr/bin/env bash
# The most memory damaged files of every reader make the program hold, and the longest a
# load takes (sound_load_bound_bench.exe): besides the bank, IT and AIFF files the bench
# builds itself, a WAV file by sox, Ogg Vorbis by oggenc, MP3 by lame and WMA by ffmpeg
# (two seconds of a chord; the bench adds an XM song with the Ogg file as its samples and
# an embedded-file bank of the WAV, Ogg and MP3 files), or the files named.
# Usage: load_bound_bench.sh [mutants (default 10000)] [file...]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
export ORVALEN_BUILD_DIR=${ORVALEN_BUILD_DIR:-$repo/build}
bench=$ORVALEN_BUILD_DIR/soundengine/sound_load_bound_bench.exe
[ -f "$bench" ] || { echo "load-bound-bench: FAILED: $bench is missing (build first: scripts/test.sh)" >&2; exit 1; }
# shellcheck disable=SC1091
source "$repo/scripts/wine-env.sh"
mutants=${1:-10000}
shift || true
files=("$@")
# The WMA mutants are written beside their file: a folder of the build, not /tmp's.
work=$ORVALEN_BUILD_DIR/load_bound_bench
rm -rf "$work"
mkdir -p "$work"
if [ ${#files[@]} -eq 0 ]; then
  sox -D -n -r 22050 -b 16 -c 2 "$work/src.wav" synth 2 sine 220 sine 330 vol 0.5 fade 0 2 0.5
  sox -D "$work/src.wav" -c 1 "$work/chord.wav"
  oggenc -Q -q 3 -o "$work/chord.ogg" "$work/src.wav"
  lame --quiet -b 64 "$work/src.wav" "$work/chord.mp3"
  ffmpeg -v error -y -i "$work/src.wav" -c:a wmav2 -b:a 64k "$work/chord.wma"
  files=("$work/chord.wav" "$work/chord.ogg" "$work/chord.mp3" "$work/chord.wma")
fi
winpaths=()
for f in "${files[@]}"; do winpaths+=("$(winepath -w "$f")"); done
# The WMA codec binds the device's decoder library from the device's \Windows: a device
# of the bench's own with the build's stand-in.
mkdir -p "$work/device/Windows"
cp "$ORVALEN_BUILD_DIR/platform/standins/device-copy/wmadecoder.dll" "$work/device/Windows/"
export ORVALEN_DEVICE_ROOT=$(wine_path "$work/device")
cd "$work"
wine "$bench" "$mutants" "${winpaths[@]}" 2>&1 | tr -d '\r'
