# Sourced by scripts that show programs: a Wine desktop of the handheld's size with the
# X11 driver in the run's prefix (scripts/wine-env.sh must be sourced with ORVALEN_WINE=run),
# on a virtual screen (Xvfb) of the script's own or, for scripts/run.sh, as a window on
# the user's display.
#   screen_start <width> <height> <dpi>   a virtual screen; one at a time per build tree; sets DISPLAY
#   screen_use_display <width> <height> <dpi>   the desktop as a window on $DISPLAY instead
#   screen_show <program> [args...]       starts a Windows program on the screen's desktop
#   screen_shot <png>                     saves what the screen (or the desktop's window) shows
#   screen_shot_when_ready <ready> <png> <seconds>   saves it once the file ready exists
#                                         (after the command screen_before_shot, when set);
#                                         fails, saying so, when it did not come up
#   screen_wait_desktop <seconds>         waits for the desktop to end with its programs
#   screen_stop                           ends the desktop's processes and the screen
screen_xvfb_pid=
screen_desktop_pid=
screen_window=
screen_before_shot=

screen_lock() {
  # Two scripts would change the same prefix's density and share its processes. The
  # lock's descriptor is closed for every program started here, or a lingering
  # wineserver would hold the lock after the screen has gone.
  exec 8>"$WINEPREFIX.screen.lock"
  if ! flock -n 8; then
    echo "screen: another run or screenshot script of this build tree is going on; waiting for it" >&2
    flock 8
  fi
}

# Dialog fonts follow the prefix's density.
screen_set_density() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 8>&-
}

screen_start() {
  local width=$1 height=$2 dpi=$3 displayfile
  screen_lock
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 8>&- &
  screen_xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
  [ -s "$displayfile" ] || { echo "screen: Xvfb did not start" >&2; rm -f "$displayfile"; return 1; }
  export DISPLAY=:$(cat "$displayfile")
  rm -f "$displayfile"
  screen_size=${width}x${height}
  screen_window=
  screen_set_density "$dpi"
}

# The user's X display answers (a DISPLAY that is set but gone would leave Wine waiting).
screen_display_usable() {
  [ -n "${DISPLAY:-}" ] || return 1
  if command -v xdpyinfo >/dev/null; then
    timeout 10 xdpyinfo >/dev/null 2>&1
  else
    timeout 10 import -window root -crop 1x1+0+0 null: >/dev/null 2>&1
  fi
}

screen_use_display() {
  screen_lock
  screen_size=$1x$2
  # Wine names the desktop's window after the desktop.
  screen_window="Orvalen - Wine desktop"
  screen_set_density "$3"
}

screen_show() {
  wine explorer "/desktop=Orvalen,$screen_size,x11" "$@" 8>&- &
  screen_desktop_pid=$!
}

screen_shot() {
  import -window "${screen_window:-root}" "$1" 8>&-
}

screen_shot_when_ready() {
  local ready=$1 png=$2 seconds=$3 _
  # A showcase that ended (it failed) will never say ready.
  for _ in $(seq $(( seconds * 10 ))); do
    [ -e "$ready" ] || ! kill -0 "$screen_desktop_pid" 2>/dev/null && break
    sleep 0.1
  done
  if [ ! -e "$ready" ]; then
    echo "screenshot: $(basename "$png" .png) did not come up" >&2
    return 1
  fi
  rm -f "$png"
  if [ -n "$screen_before_shot" ]; then $screen_before_shot; fi
  if ! screen_shot "$png"; then
    echo "screenshot: $(basename "$png" .png) came up, but ImageMagick's import did not save it" >&2
    return 1
  fi
  echo "screenshot: ${png#"$repo"/}"
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
  # The next screen's script may take the prefix.
  exec 8>&-
}
