#!/usr/bin/env bash
# Creates a Wine prefix once, under a lock: booted, with the null graphics driver (a
# script that shows windows makes a desktop with the X11 driver of its own).
# Usage: wine-prefix.sh <prefix>   (environment as set by wine-env.sh)
set -euo pipefail
prefix=$1
# ALSA as Wine sees it: sound goes to the null device; recording reads a 1 kHz tone
# made by sox from a file (ALSA's file plugin), so a capture has something to hear.
# A test gives its capture a tone of its own: ORVALEN_CAPTURE_TONE names a raw file
# (signed 16-bit little-endian, 44100 Hz, mono) read in place of the 1 kHz one.
# Without sox the capture is the null device's silence. Checked on every start (cheap),
# so an older build tree gets the tone too; files are replaced whole.
alsa_mark="# orvalen alsa: tone capture, ORVALEN_CAPTURE_TONE"
if ! grep -qsF "$alsa_mark" "$HOME/.asoundrc"; then
  mkdir -p "$HOME"
  tone="$HOME/capture_tone.raw"
  if [ ! -f "$tone" ] && command -v sox >/dev/null; then
    sox -D -n -r 44100 -b 16 -c 1 -e signed -L -t raw "$tone.$$" synth 10 sine 1000 vol 0.5 && mv -f "$tone.$$" "$tone"
  fi
  if [ -f "$tone" ]; then
    cat > "$HOME/.asoundrc.$$" <<ASOUND
$alsa_mark
pcm.!default { type asym playback.pcm "null" capture.pcm "orvalen_capture" }
pcm.orvalen_capture {
  type plug
  slave { pcm { type file slave.pcm "null" file "/dev/null" format "raw"
                infile { @func getenv vars [ ORVALEN_CAPTURE_TONE ] default "$tone" } }
          format S16_LE rate 44100 channels 1 }
}
ctl.!default { type hw card 0 }
ASOUND
  else
    printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' > "$HOME/.asoundrc.$$"
  fi
  mv -f "$HOME/.asoundrc.$$" "$HOME/.asoundrc"
fi
# Wine draws the caption buttons (a dialog's close box) with the Marlett symbol font,
# which only Debian's fonts-wine ships; without it the close box is the letter "r". The
# set-up takes that font alone out of the package (scripts/debian-files.sh; the package's
# Tahoma and MS Sans Serif would change the faces every screen is laid out with) and keeps
# it beside the prefixes. Checked on every start (cheap), so an older prefix gets it too.
caption_font() {  # prefix
  local fonts=$1/drive_c/windows/Fonts kept
  kept=$(dirname "$1")/fonts/marlett.ttf
  [ -f "$fonts/marlett.ttf" ] || [ -f /usr/share/wine/fonts/marlett.ttf ] || [ ! -d "$fonts" ] || [ ! -f "$kept" ] &&
    return 0
  cp "$kept" "$fonts/marlett.ttf.$$" && mv -f "$fonts/marlett.ttf.$$" "$fonts/marlett.ttf"
}
# A crash ends the program at once, with the exception's code as its exit code, after
# Wine's line with the fault's address: no debugger is started for it. Wine's own one
# waited for an answer to its crash dialog, which no one sees under the null graphics
# driver, and ended the program with 0 or another code as it came. An empty "Debugger" is
# none. Checked on every start (cheap); an older prefix gets it once, under the prefix's lock,
# so that the tests' many first starts do not each change the registry at once.
crash_report() {  # prefix
  # (the lock not handed on: a wineserver this starts would hold it for its whole life)
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d "" /f >/dev/null 2>&1 9>&- &&
    touch "$1/.orvalen-no-debugger"
}
if [ -f "$prefix/.orvalen-ready" ]; then
  caption_font "$prefix"
  [ -f "$prefix/.orvalen-no-debugger" ] && exit 0
  exec 9>"$prefix.lock"
  flock 9
  [ -f "$prefix/.orvalen-no-debugger" ] || crash_report "$prefix" ||
    echo "wine-prefix: Wine's debugger could not be turned off in ${prefix#"$(pwd)"/}: a crash may wait for it" >&2
  exit 0
fi
mkdir -p "$(dirname "$prefix")"
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
crash_report "$prefix" || true  # tried again, under the lock, at the next start
wineserver -w
caption_font "$prefix"
touch "$prefix/.orvalen-ready"
step_end
