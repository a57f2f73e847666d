#!/usr/bin/env bash
# Renders an excerpt of real music as raw 16-bit stereo PCM: the tracker module of Debian's
# fb-music-high package, which the set-up took out of it and checked
# (scripts/debian-files.sh; build/_deps/music), played by ffmpeg's libopenmpt.
#   music_excerpt.sh <module> <start s> <seconds> <rate> <out.raw>
# Exits with 1 and the reason on stderr when the module is not there or does not play.
# ffmpeg comes from FFMPEG_PROGRAM.
set -uo pipefail
module=$1 start=$2 seconds=$3 rate=$4 out=$5
ffmpeg=${FFMPEG_PROGRAM:-ffmpeg}
[ -s "$module" ] ||
  { echo "music excerpt: $module is missing: the set-up did not fetch it (scripts/setup.sh says why)" >&2; exit 1; }
"$ffmpeg" -v error -y -ss "$start" -t "$seconds" -i "$module" -ar "$rate" -ac 2 -f s16le -acodec pcm_s16le "$out" ||
  { echo "music excerpt: ffmpeg cannot play $module (no libopenmpt?)" >&2; exit 1; }
