#!/usr/bin/env bash
# Cross-builds the third-party libraries from Debian's source packages into
#   <cache-dir>/prefix/{include,lib}
# as static mingw-w64 libraries. Idempotent: once built (stamp matches this script),
# it returns at once. Only the upstream .orig tarballs are used, checked by SHA-256.
#   build-deps.sh <cache-dir>
#   JOBS=n   at most n compilers at a time (default: all processors)
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 <cache-dir>" >&2; exit 2; }
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
mkdir -p "$1"
cache=$(cd "$1" && pwd)
prefix=$cache/prefix
stamp=$prefix/.built
# Rebuilt whenever this recipe or the toolchain changes.
recipe=$(cat "${BASH_SOURCE[0]}" "$repo/cmake/mingw-w64-x86_64.cmake" | sha256sum | cut -d' ' -f1)

[ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ] && exit 0

# Two setups of the same build tree must not build into one prefix at once.
exec 9>"$cache/.lock"
flock 9
[ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ] && exit 0

host=x86_64-w64-mingw32
cc=$host-gcc-posix
ar=$host-ar
# Release builds: asserts off (libmad checks its own invariants in every frame).
cflags=(-O2 -DNDEBUG -w)
jobs=${JOBS:-$(nproc)}

# source package, upstream tarball, its SHA-256
tarballs=(
  "minizip       minizip_1.1.orig.tar.xz                      7d8da446d3b6799e7851f077a66551a46b80fc3de708549e79dbd3e49e842ba1"
  "libjpeg-turbo libjpeg-turbo_2.1.5.orig.tar.gz              254f3642b04e309fee775123133c6464181addc150499561020312ec61c1bf7c"
  "libogg        libogg_1.3.5.orig.tar.xz                     c4d91be36fc8e54deae7575241e03f4211eb102afb3fc0775fbbc1b740016705"
  "libvorbisidec libvorbisidec_1.2.1+git20180316.orig.tar.gz  491b88661544f55b17154407420b5d78d2ac35d12786ee030d0925eb6aec03da"
  "libmad        libmad_0.15.1b.orig.tar.gz                   bbfac3ed6bfbc2823d3775ebb931087371e142bb0e9bb1bee51a76a6e0078690"
  "libpng1.6     libpng1.6_1.6.39.orig.tar.gz                 a00e9d2f2f664186e4202db9299397f851aea71b36a35e74910b8820e380d441"
  "giflib        giflib_5.2.1.orig.tar.gz                     31da5562f44c5f15d63340a09a4fd62b48c45620cd302f77a6d9acf0077879bd"
)

downloads=$cache/downloads
mkdir -p "$downloads"

tarball_ok() { # <file> <sha256>
  [ -f "$downloads/$1" ] && echo "$2  $downloads/$1" | sha256sum --quiet -c - >/dev/null 2>&1
}

# A private APT: its own deb-src list, package lists and cache, so the system's
# binary package lists are never touched.
private_apt() {
  local apt=$cache/apt
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/sources.list.d" "$apt/preferences.d"
  local src=/etc/apt/sources.list.d/debian.sources
  if [ -f "$src" ]; then
    sed 's/^Types:.*/Types: deb-src/' "$src" >"$apt/sources.list.d/debian-src.sources"
    : >"$apt/sources.list"
  elif [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list >"$apt/sources.list"
  else
    echo "deb-src http://deb.debian.org/debian bookworm main" >"$apt/sources.list"
  fi
  cat >"$apt/apt.conf" <<EOF
Dir::State::Lists "$apt/lists";
Dir::State::status "/dev/null";
Dir::Cache "$apt/cache";
Dir::Etc::sourcelist "$apt/sources.list";
Dir::Etc::sourceparts "$apt/sources.list.d";
Dir::Etc::preferencesparts "$apt/preferences.d";
APT::Sandbox::User "root";
EOF
  export APT_CONFIG=$apt/apt.conf
}

fetch_sources() {
  local missing=() line pkg file sum
  for line in "${tarballs[@]}"; do
    read -r pkg file sum <<<"$line"
    tarball_ok "$file" "$sum" || { rm -f "${downloads:?}/$file"; missing+=("$pkg"); }
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "build-deps: downloading Debian sources: ${missing[*]}"
  private_apt
  apt-get -qq update
  # Some Debian patch files are missing on the mirror; apt then fails although the
  # tarballs arrived, so its exit code is not the verdict: the checksums below are.
  local log=$cache/apt-source.log
  (cd "$downloads" && apt-get -q source --download-only "${missing[@]}" >"$log" 2>&1) || true
  for line in "${tarballs[@]}"; do
    read -r pkg file sum <<<"$line"
    tarball_ok "$file" "$sum" || {
      echo "build-deps: $file missing or its SHA-256 differs; apt said:" >&2
      tail -n 20 "$log" >&2
      exit 1
    }
  done
}

src=$cache/src
unpack() { # <tarball> -> prints the directory it made
  local into=$src/${1%%_*}
  rm -rf "$into" && mkdir -p "$into"
  tar -xf "$downloads/$1" -C "$into"
  echo "$into"/*
}

# compile_archive <lib name> <source dir> <flags...> -- <sources...>
compile_archive() {
  local name=$1 dir=$2 obj=$cache/obj/$1 flags=() f rc=0
  shift 2
  while [ "$1" != -- ]; do flags+=("$1"); shift; done
  shift
  rm -rf "$obj" && mkdir -p "$obj"
  for f in "$@"; do
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || rc=1; done
    "$cc" "${cflags[@]}" "${flags[@]}" -c "$dir/$f" -o "$obj/$(basename "${f%.c}").o" &
  done
  wait_all || rc=1
  [ $rc -eq 0 ] || return 1
  rm -f "$stage/lib/lib$name.a"
  "$ar" rcs "$stage/lib/lib$name.a" "$obj"/*.o
}

wait_all() { # fails if any background job failed
  local pid rc=0
  for pid in $(jobs -p); do wait "$pid" || rc=1; done
  return $rc
}

build_minizip() {
  local dir; dir=$(unpack minizip_1.1.orig.tar.xz)
  compile_archive minizip "$dir" -I"$dir" -- unzip.c ioapi.c iowin32.c
  mkdir -p "$stage/include/minizip"
  cp "$dir"/{unzip.h,ioapi.h,iowin32.h} "$stage/include/minizip/"
}

jpeg_bld=$cache/obj/jpeg
# libjpeg-turbo's own CMake configure: one process, mostly waiting on the compiler checks.
configure_jpeg() {
  local dir; dir=$(unpack libjpeg-turbo_2.1.5.orig.tar.gz)
  rm -rf "$jpeg_bld"
  cmake -S "$dir" -B "$jpeg_bld" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" \
    -DWITH_SIMD=OFF -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF \
    -DCMAKE_C_FLAGS="-w" -DCMAKE_INSTALL_PREFIX="$stage" >"$cache/logs/jpeg-configure.log" 2>&1
}

build_jpeg() {
  local dir=$src/libjpeg-turbo/libjpeg-turbo-2.1.5
  cmake --build "$jpeg_bld" --target jpeg-static --parallel "$jobs" >"$cache/logs/jpeg-build.log" 2>&1
  cp "$jpeg_bld/libjpeg.a" "$stage/lib/libjpeg.a"
  cp "$dir"/{jpeglib.h,jmorecfg.h,jerror.h} "$jpeg_bld/jconfig.h" "$stage/include/"
}

build_ogg() {
  local dir; dir=$(unpack libogg_1.3.5.orig.tar.xz)
  # What configure would write for this target.
  cat >"$dir/include/ogg/config_types.h" <<'EOF'
#ifndef __CONFIG_TYPES_H__
#define __CONFIG_TYPES_H__
#include <stdint.h>
typedef int16_t ogg_int16_t;
typedef uint16_t ogg_uint16_t;
typedef int32_t ogg_int32_t;
typedef uint32_t ogg_uint32_t;
typedef int64_t ogg_int64_t;
typedef uint64_t ogg_uint64_t;
#endif
EOF
  compile_archive ogg "$dir" -I"$dir/include" -- src/bitwise.c src/framing.c
  mkdir -p "$stage/include/ogg"
  cp "$dir"/include/ogg/{ogg.h,os_types.h,config_types.h} "$stage/include/ogg/"
}

build_tremor() {
  local dir; dir=$(unpack libvorbisidec_1.2.1+git20180316.orig.tar.gz)
  # Tremor includes <ogg/ogg.h>: build against the libogg built above.
  local ogg_include=$cache/ogg-include
  local f sources=()
  for f in mdct block window synthesis info floor1 floor0 vorbisfile res012 mapping0 registry codebook sharedbook; do
    sources+=("$f.c")
  done
  compile_archive vorbisidec "$dir" -I"$dir" -I"$ogg_include" -fsigned-char -D_REENTRANT -DUSE_MEMORY_H -- "${sources[@]}"
  mkdir -p "$stage/include/tremor"
  cp "$dir"/{ivorbiscodec.h,ivorbisfile.h} "$stage/include/tremor/"
}

build_mad() {
  local dir; dir=$(unpack libmad_0.15.1b.orig.tar.gz)
  cat >"$dir/config.h" <<'EOF'
#define SIZEOF_INT 4
#define SIZEOF_LONG 4
#define SIZEOF_LONG_LONG 8
#define HAVE_ASSERT_H 1
#define HAVE_LIMITS_H 1
#define HAVE_STDINT_H 1
#define HAVE_STDLIB_H 1
#define HAVE_STRING_H 1
#define HAVE_SYS_TYPES_H 1
#define STDC_HEADERS 1
#define PACKAGE "libmad"
#define VERSION "0.15.1b"
EOF
  local f sources=()
  for f in version fixed bit timer stream frame synth decoder layer12 layer3 huffman; do
    sources+=("$f.c")
  done
  compile_archive mad "$dir" -I"$dir" -DHAVE_CONFIG_H -DFPM_64BIT -- "${sources[@]}"
  # The shipped mad.h was generated for 32-bit x86 assembly; users must see the
  # same fixed-point choice the library was built with.
  sed 's/^# define FPM_INTEL$/# define FPM_64BIT/' "$dir/mad.h" >"$stage/include/mad.h"
  grep -q '^# define FPM_64BIT$' "$stage/include/mad.h" || { echo "build-deps: mad.h not corrected" >&2; exit 1; }
}

build_png() {
  local dir; dir=$(unpack libpng1.6_1.6.39.orig.tar.gz)
  # The configuration upstream ships for builds without configure; zlib.h comes
  # from the mingw-w64 sysroot (libz-mingw-w64-dev).
  cp "$dir/scripts/pnglibconf.h.prebuilt" "$dir/pnglibconf.h"
  local f sources=()
  for f in png pngerror pngget pngmem pngpread pngread pngrio pngrtran pngrutil pngset pngtrans \
           pngwio pngwrite pngwtran pngwutil; do
    sources+=("$f.c")
  done
  compile_archive png "$dir" -I"$dir" -- "${sources[@]}"
  cp "$dir"/{png.h,pngconf.h,pnglibconf.h} "$stage/include/"
}

build_gif() {
  local dir; dir=$(unpack giflib_5.2.1.orig.tar.gz)
  compile_archive gif "$dir" -I"$dir" -- dgif_lib.c egif_lib.c gifalloc.c gif_err.c gif_font.c gif_hash.c \
    openbsd-reallocarray.c
  cp "$dir/gif_lib.h" "$stage/include/"
}

start=$(date +%s)
fetch_sources
rm -rf "$src" "$cache/obj" "$cache/logs" "$cache/ogg-include" "$prefix.new"
mkdir -p "$src" "$cache/obj" "$cache/logs"
stage=$prefix.new
mkdir -p "$stage/include" "$stage/lib"

# build_lane <jobs> <step...>: runs build steps one after another with up to <jobs>
# compilers, each in a subshell of its own (so that `set -e` holds inside) with its own log.
build_lane() {
  local step
  jobs=$1
  shift
  for step in "$@"; do
    ( "$step" ) >"$cache/logs/$step.log" 2>&1 ||
      { echo "build-deps: $step failed:" >&2; tail -n 40 "$cache/logs/$step.log" >&2; return 1; }
  done
}

# libjpeg-turbo's configure runs beside the small libraries, which take one job less;
# then it builds with them all. libogg comes first: Tremor needs its headers.
all_jobs=$jobs
build_lane 1 configure_jpeg &
jpeg_configure=$!
build_lane $(( all_jobs > 1 ? all_jobs - 1 : 1 )) build_ogg
mkdir -p "$cache/ogg-include" && cp -r "$stage/include/ogg" "$cache/ogg-include/"
build_lane $(( all_jobs > 1 ? all_jobs - 1 : 1 )) build_minizip build_tremor build_mad build_png build_gif
wait "$jpeg_configure"
build_lane "$all_jobs" build_jpeg

# Boost is header-only; it gets a folder of its own because putting /usr/include
# on the include path would shadow mingw's own C headers.
mkdir -p "$stage/boost-include"
ln -sfn /usr/include/boost "$stage/boost-include/boost"
[ -f /usr/include/boost/shared_ptr.hpp ] || { echo "build-deps: /usr/include/boost missing (libboost-dev)" >&2; exit 1; }

rm -rf "$prefix"
mv "$stage" "$prefix"
echo "$recipe" >"$stamp"
echo "build-deps: built into $prefix in $(( $(date +%s) - start )) s"
