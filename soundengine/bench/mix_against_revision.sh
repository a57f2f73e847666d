#!/usr/bin/env bash
# The whole software mixer of this build beside an older revision's (for example the
# engine before its vector loops), measured by turns in the same run: the same measurement
# (WholeMixer.h) is built against a checkout of that revision under the build folder.
# Reports per row median [lowest-highest] of both and the ratio of the medians.
# Usage: mix_against_revision.sh revision [runs (default 5)]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
export ORVALEN_BUILD_DIR=${ORVALEN_BUILD_DIR:-$repo/build}
build=$ORVALEN_BUILD_DIR
rev=$(git -C "$repo" rev-parse --short "${1:?usage: mix_against_revision.sh revision [runs]}")
runs=${2:-5}
jobs=${JOBS:-$(nproc)}
step_tag=mix-bench
source "$repo/scripts/steps.sh"
logs=$build/_bench/logs
mkdir -p "$logs"
# A build's own messages go to a log; a failing one shows its end.
quiet() { # <log> <command...>
  local log=$logs/$1; shift
  "$@" >"$log" 2>&1 || { tail -n 30 "$log" >&2; echo "mix-bench: see $log" >&2; return 1; }
}
src=$build/_bench/src-$rev
old=$build/_bench/build-$rev
if [ ! -d "$src" ]; then
  git -C "$repo" worktree add --detach "$src" "$rev" >/dev/null
  printf '\nadd_executable(whole_mixer_bench %s/WholeMixerBench.cpp)\n' "$here" >>"$src/soundengine/CMakeLists.txt"
  printf 'target_include_directories(whole_mixer_bench PRIVATE %s)\n' "$here" >>"$src/soundengine/CMakeLists.txt"
  printf 'target_link_libraries(whole_mixer_bench PRIVATE orvalen_soundengine)\n' >>"$src/soundengine/CMakeLists.txt"
fi
step "configuring $rev" quiet configure-$rev.log cmake -S "$src" -B "$old" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-w64-x86_64.cmake" -DORVALEN_DEPS_PREFIX="$build/_deps/prefix"
step "building $rev's whole_mixer_bench" quiet build-$rev.log cmake --build "$old" --parallel "$jobs" --target whole_mixer_bench
step "building this tree's whole_mixer_bench" quiet build-this.log cmake --build "$build" --parallel "$jobs" --target whole_mixer_bench
# shellcheck disable=SC1091
source "$repo/scripts/wine-env.sh"
measure() { # <build> <voices> <type>: the real-time factor, or the script ends saying which run failed
  local out
  out=$(wine "$1/soundengine/whole_mixer_bench.exe" "$2" "$3" 2>/dev/null | tr -d '\r')
  [[ $out =~ ^[0-9]+$ ]] || { echo "mix-bench: FAILED: whole_mixer_bench of $1 ($2 voices, $3) gave '$out'" >&2; exit 1; }
  echo "$out"
}
rows=("8 10 AURAL_MIXER_C" "8 11 AURAL_MIXER_QUALITY_C" "32 10 AURAL_MIXER_C" "32 11 AURAL_MIXER_QUALITY_C"
      "64 10 AURAL_MIXER_C" "64 11 AURAL_MIXER_QUALITY_C")
results=$(mktemp)
trap 'rm -f "$results"' EXIT
for ((r = 0; r < runs; ++r)); do
  for i in "${!rows[@]}"; do
    read -r voices type _ <<<"${rows[$i]}"
    factor=$(measure "$old" "$voices" "$type"); echo "$i old $factor" >>"$results"
    factor=$(measure "$build" "$voices" "$type"); echo "$i new $factor" >>"$results"
  done
done
echo "whole software mixer, real-time factors over $runs runs: $rev beside this build, ratio of the medians"
for i in "${!rows[@]}"; do
  read -r voices type name <<<"${rows[$i]}"
  stats() { awk -v i="$i" -v w="$1" '$1 == i && $2 == w { print $3 }' "$results" | sort -n |
    awk '{ v[NR] = $1 } END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%d %d %d", m, v[1], v[NR] }'; }
  read -r om olo ohi <<<"$(stats old)"
  read -r nm nlo nhi <<<"$(stats new)"
  awk -v v="$voices" -v n="$name" -v om="$om" -v olo="$olo" -v ohi="$ohi" -v nm="$nm" -v nlo="$nlo" -v nhi="$nhi" \
    'BEGIN { printf "%3d %-22s %6d [%5d-%5d] %6d [%5d-%5d] %5.2f\n", v, n, om, olo, ohi, nm, nlo, nhi, om ? nm / om : 0 }'
done
