#!/usr/bin/env bash
# Makes the dialog tests' language pack with the real zip tool:
#   make_dialog_pack.sh <zip-program> <out-file> <translation.xml> <symbol file>...
# The pack's symbol file is the program's followed by the tests' own.
set -euo pipefail
zip_tool=$1 out=$2 xml=$3
shift 3
work=$(dirname "$out")/dialog-pack
rm -rf "$work" && mkdir -p "$work"
cp "$xml" "$work/translation.xml"
cat "$@" >"$work/resource.h"
rm -f "$out"
(cd "$work" && "$zip_tool" -q -9 "$out" translation.xml resource.h)
