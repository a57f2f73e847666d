# Sourced: the Wine environment of every script and test. The one place that decides
# which Wine prefix and which simulated device they talk to:
#   ORVALEN_WINE=run (default)  build/wine/prefix-run and the device in build/device, where
#                               scripts/run.sh and the screenshot scripts run the programs;
#                               so `scripts/wine.sh reg query ...` reads what a run left
#   ORVALEN_WINE=tests          build/wine/prefix-tests, where ctest runs every test (each
#                               test makes a device and a registry root of its own)
# Both prefixes use Wine's null graphics driver: windows are shown only on a virtual
# screen that a script makes (scripts/screen.sh). The prefix is made on first use.
_orvalen_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ORVALEN_BUILD_DIR=${ORVALEN_BUILD_DIR:-$_orvalen_repo/build}
export ORVALEN_WINE=${ORVALEN_WINE:-run}
case $ORVALEN_WINE in
  run|tests) ;;
  *) echo "wine-env: ORVALEN_WINE is run or tests, not '$ORVALEN_WINE'" >&2; return 2 ;;
esac
# Wine keeps file names in the host's character set: under a locale that is not UTF-8
# (a bare system's POSIX, or one the shell names but the machine lacks, which is C then)
# names such as the German shortcuts' cannot be made at all. The character map the C
# library gives tells, not the locale's name.
[ "$(locale charmap 2>/dev/null)" = UTF-8 ] || export LC_ALL=C.UTF-8
# Wine's commands through scripts/wine-bin, before any other on PATH: its processes without
# address randomization. Where the personality cannot be set (a container's system call
# filter) they start as they are, and now and then a start is refused: said once a run
# (ORVALEN_WINE_LAYOUT names the cause for scripts/test.sh's summary).
if [ -z "${ORVALEN_WINE_LAYOUT+set}" ]; then
  if _orvalen_said=$(setarch "$(uname -m)" --addr-no-randomize true 2>&1); then
    export ORVALEN_WINE_LAYOUT=
  else
    export ORVALEN_WINE_LAYOUT="setarch cannot turn address randomization off here (${_orvalen_said:-it gave no reason})"
    echo "wine-env: Wine starts with address randomization: $ORVALEN_WINE_LAYOUT" >&2
  fi
fi
PATH=$(printf '%s\n' "$PATH" | tr ':' '\n' | { grep -vxF "$_orvalen_repo/scripts/wine-bin" || true; } | paste -sd: -)
export PATH=$_orvalen_repo/scripts/wine-bin${PATH:+:$PATH}
export WINEPREFIX=$ORVALEN_BUILD_DIR/wine/prefix-$ORVALEN_WINE
export WINEARCH=win64
# The tests keep Wine's error channel: what it says of a start it refused is written down
# (scripts/wine.sh).
if [ "$ORVALEN_WINE" = tests ]; then export WINEDEBUG=${WINEDEBUG:--all,err+all}; else export WINEDEBUG=${WINEDEBUG:--all}; fi
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
export HOME=$ORVALEN_BUILD_DIR/wine/home
export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache

# A host path as Windows programs under Wine see it (the host's root is drive Z:).
wine_path() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

if [ "$ORVALEN_WINE" = run ]; then
  export ORVALEN_RUN_DEVICE=$ORVALEN_BUILD_DIR/device
  export ORVALEN_DEVICE_ROOT=${ORVALEN_DEVICE_ROOT:-$(wine_path "$ORVALEN_RUN_DEVICE")}
fi
"$_orvalen_repo/scripts/wine-prefix.sh" "$WINEPREFIX"
