# Sourced: the same Wine environment as wine.sh, for calling wine/wineserver directly.
_orvalen_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ORVALEN_BUILD_DIR=${ORVALEN_BUILD_DIR:-$_orvalen_repo/build}
export WINEPREFIX=$ORVALEN_BUILD_DIR/wine/prefix-${ORVALEN_DISPLAY:-null}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
export HOME=$ORVALEN_BUILD_DIR/wine/home
export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
"$_orvalen_repo/scripts/wine-prefix.sh" "$WINEPREFIX" "${ORVALEN_DISPLAY:-null}"
