#!/usr/bin/env bash
# Creates a Wine prefix once, under a lock: booted, with the null graphics driver (a
# script that shows windows makes a desktop with the X11 driver of its own).
# Usage: wine-prefix.sh <prefix>   (environment as set by wine-env.sh)
set -euo pipefail
prefix=$1
[ -f "$prefix/.orvalen-ready" ] && exit 0
mkdir -p "$(dirname "$prefix")" "$HOME"
if [ ! -f "$HOME/.asoundrc" ]; then
  printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' > "$HOME/.asoundrc"
fi
exec 9>"$prefix.lock"
flock 9
[ -f "$prefix/.orvalen-ready" ] && exit 0
# Said on stderr: the output of the program this prefix is made for stays its own.
exec 1>&2
step_tag=wine
source "$(dirname "${BASH_SOURCE[0]}")/steps.sh"
step_begin "making the Wine prefix ${prefix#"$(pwd)"/} (first time only, about 20 s, 700 MB)"
wineboot -i >/dev/null 2>&1 || true
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f >/dev/null 2>&1
wineserver -w
touch "$prefix/.orvalen-ready"
step_end
