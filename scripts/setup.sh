#!/usr/bin/env bash
# Makes this machine ready to build and test: Debian packages, the cross-built
# dependencies, the Wine prefix and a configured build tree. Idempotent.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
build=${ORVALEN_BUILD_DIR:-$repo/build}

packages=(
  cmake ninja-build dpkg-dev ca-certificates
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev libz-mingw-w64-dev libboost-dev googletest
  wine wine64 xvfb xauth x11-apps imagemagick
  sox libsox-fmt-mp3 lame vorbis-tools zip unzip libjpeg-turbo-progs ffmpeg
  libgsm1  # Wine's GSM 6.10 ACM driver loads it
  shineenc  # a peer MP3 encoder for the encoder benchmark
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  [ "$(id -u)" -eq 0 ] || { echo "setup: run as root to install packages" >&2; exit 1; }
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

mkdir -p "$build"
if [ -x "$here/build-deps.sh" ]; then
  "$here/build-deps.sh" "$build/_deps"
fi

ORVALEN_BUILD_DIR=$build "$here/wine.sh"

# Configure every time: folders that appear (a new subsystem or test folder) are
# picked up by existence checks that CMake cannot watch.
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" >/dev/null
