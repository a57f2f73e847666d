#!/usr/bin/env bash
# Renders an excerpt of real music as raw 16-bit stereo PCM: the tracker module of Debian's
# fb-music-high package, fetched once into a cache folder (never into the source tree)
# and played by ffmpeg's libopenmpt.
#   music_excerpt.sh <cache dir> <start s> <seconds> <rate> <out.raw>
# Exits with 77 and a reason on stderr when the package or the player is not to be had.
# ffmpeg comes from FFMPEG_PROGRAM.
set -uo pipefail
cache=$1 start=$2 seconds=$3 rate=$4 out=$5
ffmpeg=${FFMPEG_PROGRAM:-ffmpeg}
package=fb-music-high
module=usr/share/games/frozen-bubble/snd/frozen-mainzik-2p.xm

mkdir -p "$cache"
if [ ! -f "$cache/$module" ]; then
  (cd "$cache" && rm -f ${package}_*.deb && apt-get download $package) > "$cache/download.log" 2>&1 ||
    { echo "music excerpt skipped: 'apt-get download $package' failed: $(tail -1 "$cache/download.log")" >&2; exit 77; }
  dpkg -x "$cache"/${package}_*.deb "$cache" ||
    { echo "music excerpt skipped: the $package package did not unpack" >&2; exit 77; }
fi
"$ffmpeg" -v error -y -ss "$start" -t "$seconds" -i "$cache/$module" -ar "$rate" -ac 2 -f s16le -acodec pcm_s16le "$out" ||
  { echo "music excerpt skipped: ffmpeg cannot play the module (no libopenmpt?)" >&2; exit 77; }
