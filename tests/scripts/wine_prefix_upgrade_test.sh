#!/usr/bin/env bash
# An older prefix (made before crashes went without a debugger) is changed once, under the
# prefix's lock, however many programs start on it at once: with stand-ins for Wine earlier
# on PATH, eight starts at a time make one registry change; later starts make none.
#   wine_prefix_upgrade_test.sh <path of scripts/wine-prefix.sh>
set -euo pipefail
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bin=$work/bin prefix=$work/wine/prefix-tests
mkdir -p "$bin" "$prefix/drive_c/windows/Fonts" "$work/home"
touch "$prefix/.orvalen-ready" "$prefix/drive_c/windows/Fonts/marlett.ttf"
echo "# orvalen alsa: tone capture, ORVALEN_CAPTURE_TONE" >"$work/home/.asoundrc"
# The stand-in takes its time, as Wine's first start on a prefix does.
printf '#!/bin/sh\necho "$*" >>"%s/changes"\nsleep 0.5\n' "$work" >"$bin/wine"
chmod +x "$bin/wine"
start() { PATH=$bin:$PATH HOME=$work/home bash "$script" "$prefix"; }
for i in 1 2 3 4 5 6 7 8; do start & done
wait
changes=$(wc -l <"$work/changes")
[ "$changes" -eq 1 ] || { echo "FAIL: eight starts on an older prefix changed its registry $changes times"; exit 1; }
start
[ "$(wc -l <"$work/changes")" -eq 1 ] || { echo "FAIL: a start on the changed prefix changed it again"; exit 1; }
echo "an older prefix is changed once: passed"
