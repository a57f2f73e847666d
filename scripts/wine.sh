#!/usr/bin/env bash
# Runs a Windows program under Wine in the build tree's own prefix (never ~/.wine).
#   ORVALEN_BUILD_DIR   build tree (default: <repo>/build)
#   ORVALEN_DISPLAY=x11 the X11 driver, in a prefix of its own; default: the null driver
#   WINEDEBUG           passed through; default -all
# Without arguments it only makes sure the prefix exists.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
[ "$#" -eq 0 ] && exit 0
exec wine "$@"
