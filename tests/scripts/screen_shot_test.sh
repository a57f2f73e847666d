#!/usr/bin/env bash
# A screenshot that does not come up is a failure the scripts see: screen_shot_when_ready
# (scripts/screen.sh) returns 1 and says which, at once when the showcase has ended, and
# 0 with the picture once the showcase is ready. ImageMagick's import is a stand-in.
#   screen_shot_test.sh <path of scripts/screen.sh>
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin"
printf '#!/bin/sh\nfor last; do :; done\necho picture >"$last"\n' >"$work/bin/import"
chmod +x "$work/bin/import"
PATH=$work/bin:$PATH
repo=$work
source "$1"

# A showcase that ended without saying ready: a failure, told before the 30 s are out.
sleep 0.2 & screen_desktop_pid=$!
started=$SECONDS
if out=$(screen_shot_when_ready "$work/ready" "$work/menu-en-240x320.png" 30 2>&1); then
  echo "FAIL: a shot that did not come up was reported as taken: $out"; exit 1
fi
grep -qx "screenshot: menu-en-240x320 did not come up" <<<"$out" || { echo "FAIL: it said: $out"; exit 1; }
[ $((SECONDS - started)) -lt 10 ] || { echo "FAIL: it waited $((SECONDS - started)) s for an ended showcase"; exit 1; }
[ ! -e "$work/menu-en-240x320.png" ] || { echo "FAIL: a picture was saved"; exit 1; }

# A showcase that is up: the picture is saved.
sleep 30 & screen_desktop_pid=$!
touch "$work/ready"
screen_shot_when_ready "$work/ready" "$work/menu-en-240x320.png" 30 >/dev/null ||
  { echo "FAIL: a shot that came up was reported as failed"; exit 1; }
kill "$screen_desktop_pid"
[ -s "$work/menu-en-240x320.png" ] || { echo "FAIL: no picture saved"; exit 1; }
echo "screen_shot_when_ready: passed"
