#!/usr/bin/env bash
# A shell that names a locale the machine lacks (ssh forwards the client's LANG): the C
# library then runs in C, and Wine, which keeps file names in that character set, could
# make no non-ASCII name. The Wine environment must give Wine UTF-8 all the same.
#   wine_env_locale_test.sh <path of scripts/wine-env.sh>   (ORVALEN_BINARY_DIR: a build tree)
set -euo pipefail
env_script=$1
lacking=xx_XX.UTF-8  # named UTF-8, and no machine has it
if locale -a 2>/dev/null | grep -qix "${lacking/UTF-8/utf8}"; then echo "FAIL: this machine has $lacking"; exit 1; fi
for variable in LANG LC_CTYPE LC_ALL; do
  got=$(env -i PATH="$PATH" "$variable=$lacking" ORVALEN_WINE=tests ORVALEN_BUILD_DIR="$ORVALEN_BINARY_DIR" \
    bash -c 'source "$1" >/dev/null 2>&1; locale charmap 2>/dev/null' _ "$env_script")
  [ "$got" = UTF-8 ] || { echo "FAIL: with $variable=$lacking Wine's character set is $got, not UTF-8"; exit 1; }
done
# A locale the machine has keeps its name.
got=$(env -i PATH="$PATH" LANG=C.UTF-8 ORVALEN_WINE=tests ORVALEN_BUILD_DIR="$ORVALEN_BINARY_DIR" \
  bash -c 'source "$1" >/dev/null 2>&1; echo "${LC_ALL:-unset} $(locale charmap)"' _ "$env_script")
[ "$got" = "unset UTF-8" ] || { echo "FAIL: with LANG=C.UTF-8 the environment gave LC_ALL and character set '$got'"; exit 1; }
echo "the Wine environment's locale: passed"
