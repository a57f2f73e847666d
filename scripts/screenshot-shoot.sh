# Sourced by the screenshot scripts: one screenshot of a showcase program on a virtual
# display of the screen's size, with Wine's X11 driver. The caller sets $out (where the
# PNG goes) and $work (scratch) and has sourced wine-env.sh. The showcase gets a ready
# and a done file as its last two arguments: it makes the ready file once its screen is
# up and ends when the done file exists.

xvfb_pid=
screenshot_cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=
}
trap screenshot_cleanup EXIT

screenshot_take() {  # name width height dpi showcase [arguments...]
  local name=$1 width=$2 height=$3 dpi=$4
  shift 4
  local displayfile ready done
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -s "$displayfile" ] && break; sleep 0.1; done
  export DISPLAY=:$(cat "$displayfile")
  rm -f "$displayfile"
  # Fonts follow the prefix's density; the prefix belongs to this build tree.
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  ready=$work/$name.ready done=$work/$name.done
  rm -f "$ready" "$done"
  wine "$@" "$(winepath -w "$ready")" "$(winepath -w "$done")" &
  local program=$!
  # A loaded machine may take a while to start a program under Wine.
  for _ in $(seq 900); do [ -e "$ready" ] && break; sleep 0.1; done
  if [ -e "$ready" ]; then
    import -window root "$out/$name.png" && echo "screenshot: $out/$name.png"
  else
    echo "screenshot: $name did not come up" >&2
  fi
  touch "$done"
  wait "$program" || echo "screenshot: $name ended with an error" >&2
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
  screenshot_cleanup
}
