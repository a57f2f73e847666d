#!/usr/bin/env bash
# Makes this machine ready to build and test: Debian packages, the cross-built
# dependencies, a Wine prefix and a configured build tree. Idempotent; a line per step.
#   setup.sh [tests|run]   which Wine prefix to make ready (default: tests; see wine-env.sh)
#   JOBS=n                 compile jobs for the dependencies (default: all processors)
#   ORVALEN_SETUP_ONLY=packages   only the Debian packages step (the package step's test)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
build=${ORVALEN_BUILD_DIR:-$repo/build}
wine_for=${1:-tests}
step_tag=setup
source "$here/steps.sh"

packages=(
  cmake ninja-build dpkg-dev ca-certificates python3
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev libz-mingw-w64-dev libboost-dev googletest
  wine wine64 xvfb xauth x11-apps imagemagick
  sox libsox-fmt-mp3 lame vorbis-tools zip unzip libjpeg-turbo-progs ffmpeg openmpt123
  libgsm1  # Wine's GSM 6.10 ACM driver loads it
  shineenc  # a peer MP3 encoder for the encoder benchmark
  gstreamer1.0-libav gstreamer1.0-plugins-base  # Wine's WMA decoder decodes through them
  chrony   # a real time server on loopback for the clock synchronisation tests
  locales  # the German locale's source, from which the Today screenshots make German dates
)
# The packages of the list that are not installed, one per line. dpkg-query fails when
# it does not know a name at all, so its exit code says nothing: only its output counts.
missing_packages() {
  local installed
  installed=$(dpkg-query -W -f='${Package} ${Status}\n' "$@" 2>/dev/null || true)
  comm -23 <(printf '%s\n' "$@" | sort -u) \
           <(awk '$NF == "installed" { print $1 }' <<<"$installed" | sed 's/:.*//' | sort -u)
}
install_failed() { # <cause>
  echo "setup: $1" >&2
  echo "setup: to install them by hand, as root: apt-get update && apt-get install --no-install-recommends ${missing[*]}" >&2
  exit 1
}
# An earlier package run that was stopped half-way leaves dpkg unable to install anything
# until it is finished; apt then says so, and only that command helps.
dpkg_interrupted() {  # <apt's output>
  grep -q "dpkg --configure -a" "$1" || return 0
  echo "setup: an earlier dpkg run was interrupted; finish it first, as root: dpkg --configure -a" >&2
  echo "setup: then run this again" >&2
  exit 1
}
install_packages() {
  local missing=()
  mapfile -t missing < <(missing_packages "${packages[@]}")
  if [ ${#missing[@]} -eq 0 ]; then return 0; fi
  echo "setup: installing ${#missing[@]} Debian packages: ${missing[*]}"
  [ "$(id -u)" -eq 0 ] || install_failed "installing packages needs root, and this is $(id -un)"
  local said
  said=$(mktemp)
  apt-get update -qq 2>&1 | tee "$said" >&2 || {
    dpkg_interrupted "$said"
    install_failed "apt-get update failed: the Debian archive is unreachable or its lists are broken"
  }
  # (its messages on standard error, kept to be read)
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" 2>&1 >/dev/null |
    tee "$said" >&2 || {
    dpkg_interrupted "$said"
    install_failed "apt-get install failed (a package the archive lacks, or the archive unreachable; its messages are above)"
  }
  rm -f "$said"
  mapfile -t missing < <(missing_packages "${missing[@]}")
  [ ${#missing[@]} -eq 0 ] || install_failed "still not installed after apt-get: ${missing[*]}"
}
step "Debian packages" install_packages
[ "${ORVALEN_SETUP_ONLY:-}" = packages ] && exit 0

mkdir -p "$build/logs"
# Files from Debian packages, taken out of them once (scripts/debian-files.sh): Wine's
# Marlett font, and for the tests the real files they read. Without the archive the set-up goes
# on, and has said what then lacks them.
step "files from Debian packages (first time: a download of about 40 MB)" \
  "$here/debian-files.sh" "$wine_for" "$build" || true
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
