#!/usr/bin/env bash
# Takes files out of Debian packages without installing them (apt-get download, then
# dpkg-deb -x into a scratch folder), once per build tree: what is in place, and matches
# its SHA-256 where one is given, is kept. Each file that cannot be had is named, with
# what lacks it; the others are fetched all the same.
#   debian-files.sh run|tests <build dir>
#     run:   fonts-wine's Marlett font, with which Wine draws the caption buttons (only
#            that font: the package's others would change the faces the screens use)
#     tests: also the real files the tests read: the AIFF files of Python's test suite, the
#            tracker modules of Debian's games (tests/soundengine/tracker/real_modules.txt)
#            the music the MP3 encoder is measured on and the Ogg files of two sound themes
#            (tests/soundengine/real_ogg_debian.txt); so the tests need no network
# Exit code 1 when a file could not be had.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 run|tests <build dir>" >&2; exit 2; }
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$2
# package | file in the package | where it goes under the build dir | SHA-256 or - | what lacks it
entries=(
  "fonts-wine|usr/share/wine/fonts/marlett.ttf|wine/fonts/marlett.ttf|-|dialogs' close boxes show the letter r"
)
if [ "$1" = tests ]; then
  entries+=(
    "libpython3.11-testsuite|usr/lib/python3.11/test/audiodata/pluck-pcm8.aiff|_deps/real-aiff/pluck-pcm8.aiff|93e79b29fca6d56488393712285db29e7e5a75c693f9be4008cde600b2b81700|the test of real AIFF files fails"
    "libpython3.11-testsuite|usr/lib/python3.11/test/audiodata/pluck-pcm16.aiff|_deps/real-aiff/pluck-pcm16.aiff|4559920a8cb9ea62be33023d6dd183bea88bc20bad1b4caeb196decb9e5fb6e6|the test of real AIFF files fails"
    "fb-music-high|usr/share/games/frozen-bubble/snd/frozen-mainzik-2p.xm|_deps/music/frozen-mainzik-2p.xm|b95c735726d01495dfd5db15ec3c3966383da86af37d0169a6d7d767d167fbd2|the MP3 encoder's check on music fails"
  )
  # Each module as <package>__<name>: the tracker tests read every one there.
  while read -r package inside sum; do
    case $package in '' | '#'*) continue ;; esac
    entries+=("$package|$inside|_deps/tracker-modules/${package}__$(basename "$inside")|$sum|the tracker tests of real modules fail")
  done <"$repo/tests/soundengine/tracker/real_modules.txt"
  # Each sound theme's file as <package>__<name>: the Ogg tests decode every one there.
  while read -r package inside sum; do
    case $package in '' | '#'*) continue ;; esac
    entries+=("$package|$inside|_deps/real-ogg/${package}__$(basename "$inside")|$sum|the test of real Ogg Vorbis files fails")
  done <"$repo/tests/soundengine/real_ogg_debian.txt"
fi

in_place() {  # <file> <sha256 or ->
  [ -s "$1" ] && { [ "$2" = - ] || echo "$2  $1" | sha256sum --quiet -c - >/dev/null 2>&1; }
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
rc=0
for entry in "${entries[@]}"; do
  IFS='|' read -r package inside target sum lacking <<<"$entry"
  target=$build/$target
  in_place "$target" "$sum" && continue
  unpacked=$scratch/$package
  # A package that could not be had is named once, with what lacks it.
  if [ -f "$unpacked.failed" ]; then rc=1; continue; fi
  if [ ! -d "$unpacked" ]; then
    mkdir -p "$unpacked"
    if ! (cd "$scratch" && apt-get download -q "$package" >"$scratch/$package.log" 2>&1) ||
      ! dpkg-deb -x "$scratch/${package}"_*.deb "$unpacked" 2>>"$scratch/$package.log"; then
      echo "debian-files: $package could not be downloaded from the Debian archive ($(tail -n 1 "$scratch/$package.log")): $lacking" >&2
      touch "$unpacked.failed"
      rc=1
      continue
    fi
  fi
  mkdir -p "$(dirname "$target")"
  if ! in_place "$unpacked/$inside" "$sum"; then
    echo "debian-files: $package's $(basename "$inside") is missing or not the one expected (SHA-256): $lacking" >&2
    rc=1
    continue
  fi
  cp "$unpacked/$inside" "$target.$$" && mv -f "$target.$$" "$target"
done
exit $rc
