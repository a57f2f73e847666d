#!/usr/bin/env bash
# Real-time factors of our tracker rendering and of openmpt123's on the same modules, and
# their ratio (goal: at least 1.0 for every module). Both render 44.1 kHz 16-bit stereo
# with linear interpolation; both are timed in processor seconds, so other work on the
# machine does not count. Ours: the rendering thread over at least two seconds of runs
# (tracker_bench.exe). openmpt123: five programs of ten plays each, output to /dev/null,
# less five runs that stop after 10 ms (start-up and load).
# Usage: tracker_bench.sh [module...]   (default: the tracker tests' reference modules)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
export ORVALEN_BUILD_DIR=${ORVALEN_BUILD_DIR:-$repo/build}
build=$ORVALEN_BUILD_DIR
step_tag=tracker-bench
source "$repo/scripts/steps.sh"
[ -f "$build/soundengine/tracker_bench.exe" ] || { echo "tracker-bench: FAILED: $build/soundengine/tracker_bench.exe is missing (build first: scripts/test.sh)" >&2; exit 1; }
# shellcheck disable=SC1091
source "$repo/scripts/wine-env.sh"
modules=("$@")
if [ ${#modules[@]} -eq 0 ]; then
  mapfile -t modules < <(ls "$build"/tests/soundengine/tracker/tracker_references/modules/*.{mod,s3m,xm,it} 2>/dev/null)
fi
[ ${#modules[@]} -gt 0 ] || { echo "tracker-bench: FAILED: no modules (run the tracker tests once, or name modules)" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cpu() {  # processor seconds of one command
  local t
  t=$( { TIMEFORMAT='%U %S'; time "$@" >/dev/null 2>&1; } 2>&1 | tail -1)
  awk '{ print $1 + $2 }' <<<"$t"
}
openmpt_rt() {  # <module> <audio seconds>
  local full=0 start=0
  cp "$1" "$tmp/m"
  ln -sf /dev/null "$tmp/m.raw"  # its output goes nowhere, as ours does
  for _ in 1 2 3 4 5; do
    # Ten plays in one program, so its start-up and load weigh little; then subtracted.
    full=$(awk -v a="$full" -v b="$(cpu openmpt123 --quiet --render --force --subsong 0 --repeat 9 --samplerate 44100 \
      --no-float --filter 2 --ramping 0 --output-type raw "$tmp/m")" 'BEGIN { print a + b }')
    start=$(awk -v a="$start" -v b="$(cpu openmpt123 --quiet --render --force --subsong 0 --end-time 0.01 \
      --samplerate 44100 --no-float --filter 2 --ramping 0 --output-type raw "$tmp/m")" 'BEGIN { print a + b }')
  done
  awk -v a="$2" -v f="$full" -v s="$start" 'BEGIN { d = f - s; print 50 * a / (d > 0.001 ? d : 0.001) }'
}
winpaths=()
for m in "${modules[@]}"; do winpaths+=("$(winepath -w "$m")"); done
wine "$build/soundengine/tracker_bench.exe" "${winpaths[@]}" 2>/dev/null | tr -d '\r' >"$tmp/ours"
printf "%-40s %9s %11s %13s %7s\n" module seconds "ours x rt" "openmpt x rt" ratio
i=0
while read -r name audio ours; do
  [ "$name" = module ] && continue
  m=${modules[$i]}
  i=$((i + 1))
  if [ "$ours" = loaded ] || [ "$audio" = - ]; then
    printf "%-40s %9s %11s %13s %7s\n" "$(basename "$m")" - "not loaded" - -
    continue
  fi
  theirs=$(openmpt_rt "$m" "$audio")
  awk -v n="$(basename "$m")" -v a="$audio" -v o="$ours" -v t="$theirs" \
    'BEGIN { printf "%-40s %9.1f %11.0f %13.0f %7.2f\n", n, a, o, t, o / t }'
done <"$tmp/ours"
