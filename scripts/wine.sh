#!/usr/bin/env bash
# Runs a Windows program under Wine in one of the build tree's own prefixes (never ~/.wine):
#   scripts/wine.sh reg query 'HKCU\Software\Ostrel\Orvalen' /s   what the last run left
#   ORVALEN_BUILD_DIR   build tree (default: <repo>/build)
#   ORVALEN_WINE        run (default: the run's prefix and device) or tests (see wine-env.sh)
#   WINEDEBUG           passed through; default -all
# Without arguments it only makes sure the prefix exists.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
[ "$#" -eq 0 ] && exit 0
exec wine "$@"
