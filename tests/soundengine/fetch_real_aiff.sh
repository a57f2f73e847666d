#!/usr/bin/env bash
# Real AIFF files written by others, fetched at test time (once per build tree): the
# 8- and 16-bit "pluck" files of Python's test suite from the Debian package (apt-get
# download and dpkg -x into the build tree; nothing is committed), each with sox's
# reading of it as signed 16- or 8-bit raw data.
# Usage: fetch_real_aiff.sh <out-dir>
# Never fails: when something cannot be had, "status" says why and the tests skip.
set -uo pipefail
out=$1
package=libpython3.11-testsuite
files=(pluck-pcm8 pluck-pcm16)
mkdir -p "$out"
status=$out/status
if grep -q "^ok" "$status" 2>/dev/null; then exit 0; fi
if ! ls "$out/${package}"_*.deb >/dev/null 2>&1; then
  if ! (cd "$out" && apt-get download -q "$package" >/dev/null 2>&1); then
    echo "unavailable: $package could not be downloaded from the Debian archive (apt-get download failed)" >"$status"
    exit 0
  fi
fi
deb=$(ls "$out/${package}"_*.deb | head -1)
rm -rf "$out/root"
if ! dpkg -x "$deb" "$out/root"; then
  echo "unavailable: $deb could not be unpacked" >"$status"
  exit 0
fi
for f in "${files[@]}"; do
  src=$(find "$out/root" -name "$f.aiff" -print -quit)
  if [ -z "$src" ]; then
    echo "unavailable: $package holds no $f.aiff" >"$status"
    exit 0
  fi
  cp "$src" "$out/$f.aiff"
  if ! sox "$out/$f.aiff" -t raw -e signed-integer -L "$out/$f.raw"; then
    echo "unavailable: sox could not read $f.aiff" >"$status"
    exit 0
  fi
done
rm -rf "$out/root"
echo "ok" >"$status"
