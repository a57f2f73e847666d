#!/usr/bin/env bash
# Creates a Wine prefix once, under a lock: booted, with the given graphics driver.
# Usage: wine-prefix.sh <prefix> <null|x11>   (environment as set by wine.sh)
set -euo pipefail
prefix=$1 mode=$2
[ -f "$prefix/.orvalen-ready" ] && exit 0
mkdir -p "$(dirname "$prefix")" "$HOME"
if [ ! -f "$HOME/.asoundrc" ]; then
  printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' > "$HOME/.asoundrc"
fi
exec 9>"$prefix.lock"
flock 9
[ -f "$prefix/.orvalen-ready" ] && exit 0
wineboot -i >/dev/null 2>&1 || true
driver=null; [ "$mode" = x11 ] && driver=x11
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d "$driver" /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f >/dev/null 2>&1
wineserver -w
touch "$prefix/.orvalen-ready"
