#!/usr/bin/env bash
# The readers' overhead over their decoders (sound_reader_bench.exe) on real files: one
# minute of stereo sound made by sox, encoded by lame (VBR -V 2 with its info frame, and
# CBR 128 kbit/s) and by oggenc (-q 4 and -q 7), or the files named.
# Usage: reader_bench.sh [runs (default 5)] [file...]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
export ORVALEN_BUILD_DIR=${ORVALEN_BUILD_DIR:-$repo/build}
step_tag=reader-bench
source "$repo/scripts/steps.sh"
[ -f "$ORVALEN_BUILD_DIR/soundengine/sound_reader_bench.exe" ] || { echo "reader-bench: FAILED: $ORVALEN_BUILD_DIR/soundengine/sound_reader_bench.exe is missing (build first: scripts/test.sh)" >&2; exit 1; }
# shellcheck disable=SC1091
source "$repo/scripts/wine-env.sh"
runs=${1:-5}
shift || true
files=("$@")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
if [ ${#files[@]} -eq 0 ]; then
  sox -D -n -r 44100 -b 16 -c 2 "$tmp/src.wav" synth 60 pinknoise sine 220-1760 tremolo 3 40 vol 0.4
  lame --quiet -V 2 "$tmp/src.wav" "$tmp/vbr_v2.mp3"
  lame --quiet -b 128 "$tmp/src.wav" "$tmp/cbr_128.mp3"
  oggenc -Q -q 4 -o "$tmp/q4.ogg" "$tmp/src.wav"
  oggenc -Q -q 7 -o "$tmp/q7.ogg" "$tmp/src.wav"
  files=("$tmp/vbr_v2.mp3" "$tmp/cbr_128.mp3" "$tmp/q4.ogg" "$tmp/q7.ogg")
fi
winpaths=()
for f in "${files[@]}"; do winpaths+=("$(winepath -w "$f")"); done
wine "$ORVALEN_BUILD_DIR/soundengine/sound_reader_bench.exe" "$runs" "${winpaths[@]}" 2>/dev/null | tr -d '\r'
