#!/usr/bin/env bash
# Reference data of the tracker tests, made at test time (once per build tree):
#  - real modules written by other people, from Debian game packages, which the set-up took
#    out of them and checked (scripts/debian-files.sh; nothing is committed);
#  - the effect modules the tests build (written by the Windows helper under Wine);
#  - openmpt123's view of each: its length (--info) and its render (44.1 kHz, 16-bit,
#    linear interpolation, no ramping) as 20 ms RMS envelopes in dB, and for the short
#    effect modules the raw PCM itself.
# Usage: make_tracker_references.sh <out-dir> <effect module writer .exe> <set-up's module folder>
# Never fails: when something cannot be had, "status" says why and the tests fail.
set -uo pipefail
out=$1
writer=$2
fetched=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mkdir -p "$out"
status=$out/status
# The effect modules are made again when their writer changed (a module was added).
built_current() { [ -f "$out/built/done" ] && [ ! "$writer" -nt "$out/built/done" ]; }
if grep -q "^ok" "$status" 2>/dev/null && built_current; then exit 0; fi

# openmpt123's length of subsong 0 in seconds ("none" when it cannot play the file).
openmpt_length() {
  local d
  d=$(openmpt123 --info --subsong 0 "$1" 2>/dev/null | sed -n 's/^Duration\.*: *//p' | head -1)
  if [ -z "$d" ]; then echo none; return; fi
  awk -F: '{ s = 0; for (i = 1; i <= NF; ++i) s = s * 60 + $i; printf "%.3f\n", s }' <<<"$d"
}

openmpt_render() {  # <module>: leaves <module>.raw
  rm -f "$1.raw"
  openmpt123 --quiet --render --force --subsong 0 --samplerate 44100 --no-float --filter 2 --ramping 0 \
    --output-type raw "$1" >/dev/null 2>&1 && [ -f "$1.raw" ]
}

# 20 ms (882-frame) RMS envelope, one dB value per line: of the mono mix, or (XM and IT,
# whose surround channels cancel in a mono mix) of both channels together.
envelope() {  # <raw> <env out> [stereo]
  local mix="pan=mono|c0=0.5*c0+0.5*c1,"
  [ "${3:-}" = stereo ] && mix=""
  ffmpeg -v quiet -f s16le -ar 44100 -ac 2 -i "$1" \
    -af "${mix}asetnsamples=n=882:p=0,astats=metadata=1:reset=1,ametadata=mode=print:key=lavfi.astats.Overall.RMS_level:file=$2.tmp" \
    -f null - && sed -n 's/^lavfi.astats.Overall.RMS_level=//p' "$2.tmp" >"$2"
  rm -f "$2.tmp"
}

if ! command -v openmpt123 >/dev/null; then
  echo "unavailable: openmpt123 is not installed (scripts/setup.sh installs it)" >"$status"
  exit 0
fi

# The effect modules the tests build, and openmpt123's render of each.
mkdir -p "$out/built"
if ! built_current; then
  # shellcheck disable=SC1091
  [ -n "${WINEPREFIX:-}" ] || source "$here/../../../scripts/wine-env.sh"
  wine "$writer" "$(winepath -w "$out/built" 2>/dev/null || echo "Z:${out//\//\\}\\built")" >/dev/null 2>&1
  for m in "$out"/built/*.mod "$out"/built/*.s3m "$out"/built/*.xm "$out"/built/*.it; do
    [ -f "$m" ] || continue
    openmpt_length "$m" >"$m.length"
    openmpt_render "$m" && mv "$m.raw" "$m.openmpt.raw"
  done
  # The XM whose samples are stored as Ogg Vorbis: its samples, encoded by oggenc.
  for w in "$out"/built/*.sample.wav; do
    [ -f "$w" ] || continue
    oggenc -Q -q 6 -o "${w%.wav}.ogg" "$w" || echo "oggenc failed on $w" >&2
  done
  touch "$out/built/done"
fi

# Real modules.
rm -rf "$out/modules"
mkdir -p "$out/modules"
got=0
for m in "$fetched"/*; do
  [ -f "$m" ] || continue
  cp "$m" "$out/modules/" && got=$((got + 1))
done
if [ "$got" -eq 0 ]; then
  echo "unavailable: the set-up did not fetch the real modules from the Debian archive (scripts/setup.sh says why)" >"$status"
  exit 0
fi
for m in "$out"/modules/*.mod "$out"/modules/*.s3m "$out"/modules/*.xm "$out"/modules/*.it "$out"/modules/*.It; do
  [ -f "$m" ] || continue
  openmpt_length "$m" >"$m.length"
  if openmpt_render "$m"; then
    case "$m" in *.xm | *.it) envelope "$m.raw" "$m.env" stereo ;; *) envelope "$m.raw" "$m.env" ;; esac
    rm -f "$m.raw"
  fi
done
echo "ok $got modules" >"$status"
