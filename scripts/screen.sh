# Sourced by scripts that show programs: a virtual screen of the handheld's size (Xvfb)
# of the script's own, never the user's display, and on it a Wine desktop with the X11
# driver in the run's prefix (scripts/wine-env.sh must be sourced with ORVALEN_WINE=run).
#   screen_start <width> <height> <dpi>   one at a time per build tree; sets DISPLAY
#   screen_show <program> [args...]       starts a Windows program on the screen's desktop
#   screen_shot <png>                     saves what the screen shows
#   screen_shot_when_ready <ready> <png> <seconds>   saves it once the file ready exists
#   screen_wait_desktop <seconds>         waits for the desktop to end with its programs
#   screen_stop                           ends the desktop's processes and the screen
screen_xvfb_pid=
screen_desktop_pid=

screen_start() {
  local width=$1 height=$2 dpi=$3 displayfile
  # Two scripts would change the same prefix's density and share its processes. The
  # lock's descriptor is closed for every program started here, or a lingering
  # wineserver would hold the lock after the screen has gone.
  exec 8>"$WINEPREFIX.screen.lock"
  if ! flock -n 8; then
    echo "screen: another run or screenshot script of this build tree is going on; waiting for it" >&2
    flock 8
  fi
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 8>&- &
  screen_xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
  [ -s "$displayfile" ] || { echo "screen: Xvfb did not start" >&2; rm -f "$displayfile"; return 1; }
  export DISPLAY=:$(cat "$displayfile")
  rm -f "$displayfile"
  screen_size=${width}x${height}
  # Dialog fonts follow the prefix's density.
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 8>&-
}

screen_show() {
  wine explorer "/desktop=Orvalen,$screen_size,x11" "$@" 8>&- &
  screen_desktop_pid=$!
}

screen_shot() {
  import -window root "$1" 8>&-
}

screen_shot_when_ready() {
  local ready=$1 png=$2 seconds=$3 _
  for _ in $(seq $(( seconds * 10 ))); do [ -e "$ready" ] && break; sleep 0.1; done
  if [ -e "$ready" ]; then
    screen_shot "$png" && echo "screenshot: $png"
  else
    echo "screenshot: $(basename "$png" .png) did not come up" >&2
  fi
}

screen_wait_desktop() {
  local _
  for _ in $(seq $(( $1 * 10 ))); do
    kill -0 "$screen_desktop_pid" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}

screen_stop() {
  # Wine's processes go before their display does.
  if [ -n "$screen_desktop_pid" ] && ! screen_wait_desktop 15; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  screen_desktop_pid=
  [ -n "$screen_xvfb_pid" ] && kill "$screen_xvfb_pid" 2>/dev/null || true
  screen_xvfb_pid=
}
