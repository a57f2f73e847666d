#!/usr/bin/env bash
# Makes the screenshots' German language pack with the real zip tool, as it is and as a
# pack that names the settings sheets' "Profiles" popup under the sheets' own menu:
#   make_german_packs.sh <zip-program> <out-dir> <translation.xml> <resource.h>
set -euo pipefail
zip_tool=$1 out=$2 xml=$3 symbols=$4
pack=$(dirname "$0")/../framework/make_dialog_pack.sh
mkdir -p "$out"
bash "$pack" "$zip_tool" "$out/german.zip" "$xml" "$symbols"
moved=$out/german-sheet-menu.xml
awk '
  /<rcitem id="IDM_PROFILES">/ { inside = 1; next }
  inside && /<rcitem id="Profiles">/ { profiles = $0; next }
  inside && /^  <\/rcitem>/ { inside = 0; next }
  { lines[++count] = $0 }
  END {
    if (profiles == "") exit 1
    for (i = 1; i <= count; i++) {
      print lines[i]
      if (lines[i] ~ /<rcitem id="IDM_TAB_MENUBAR">/) print profiles
    }
  }' "$xml" >"$moved"
bash "$pack" "$zip_tool" "$out/german-sheet-menu.zip" "$moved" "$symbols"
