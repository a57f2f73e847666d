#!/usr/bin/env bash
# Makes this machine ready to build and test: Debian packages, the cross-built
# dependencies, a Wine prefix and a configured build tree. Idempotent; a line per step.
#   setup.sh [tests|run]   which Wine prefix to make ready (default: tests; see wine-env.sh)
#   JOBS=n                 compile jobs for the dependencies (default: all processors)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
build=${ORVALEN_BUILD_DIR:-$repo/build}
wine_for=${1:-tests}
step_tag=setup
source "$here/steps.sh"

packages=(
  cmake ninja-build dpkg-dev ca-certificates
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev libz-mingw-w64-dev libboost-dev googletest
  wine wine64 xvfb xauth x11-apps imagemagick
  sox libsox-fmt-mp3 lame vorbis-tools zip unzip libjpeg-turbo-progs ffmpeg openmpt123
  libgsm1  # Wine's GSM 6.10 ACM driver loads it
  shineenc  # a peer MP3 encoder for the encoder benchmark
  gstreamer1.0-libav gstreamer1.0-plugins-base  # Wine's WMA decoder decodes through them
  chrony   # a real time server on loopback for the clock synchronisation tests
)
install_packages() {
  local missing
  missing=$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null |
            awk '$NF == "installed" { print $1 }' | sort | comm -23 <(printf '%s\n' "${packages[@]}" | sort) -)
  [ -z "$missing" ] && return 0
  echo "setup: installing" $missing
  [ "$(id -u)" -eq 0 ] || { echo "setup: run as root to install packages" >&2; exit 1; }
  apt-get update -qq
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >/dev/null
}
step "Debian packages" install_packages

mkdir -p "$build/logs"
# The Wine prefix boots in the background while the libraries build and CMake configures;
# it says itself when it begins and ends.
ORVALEN_WINE=$wine_for ORVALEN_BUILD_DIR=$build "$here/wine.sh" &
prefix_job=$!

if [ -x "$here/build-deps.sh" ]; then
  step "third-party libraries (first time: Debian source downloads and about 30 s)" \
    "$here/build-deps.sh" "$build/_deps"
fi

# Once configured, the build configures again by itself when a CMakeLists.txt changes or
# a folder with one appears.
if [ ! -f "$build/build.ninja" ] || [ ! -f "$build/CMakeCache.txt" ]; then
  configure() {
    cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" \
      >"$build/logs/configure.log" 2>&1 || { cat "$build/logs/configure.log" >&2; return 1; }
  }
  step "configuring the build tree (first time only)" configure
fi

wait "$prefix_job"
