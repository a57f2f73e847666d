#!/usr/bin/env bash
# The set-up's files from Debian packages, with stand-ins for apt-get and dpkg-deb earlier
# on PATH: each file is fetched once and then kept, a damaged one (an interrupted download)
# is fetched again, and a package the archive does not give is named once, with what lacks it.
#   debian_files_test.sh <path of scripts/debian-files.sh>   (ORVALEN_BINARY_DIR: a build tree)
set -euo pipefail
script=$1
deps=$ORVALEN_BINARY_DIR/_deps
real=$deps/real-aiff
# The set-up fetched them for this build tree: without them it failed, and so does this.
[ -s "$real/pluck-pcm8.aiff" ] || { echo "FAIL: the set-up did not fetch the real AIFF files"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bin=$work/bin
mkdir -p "$bin" "$work/packages"
# The packages' contents, as the stand-in dpkg-deb unpacks them, from the set-up's files.
pkg=$work/packages/libpython3.11-testsuite/usr/lib/python3.11/test/audiodata
mkdir -p "$pkg" "$work/packages/fonts-wine/usr/share/wine/fonts"
cp "$real"/pluck-pcm8.aiff "$real"/pluck-pcm16.aiff "$pkg/"
echo font >"$work/packages/fonts-wine/usr/share/wine/fonts/marlett.ttf"
music=$work/packages/fb-music-high/usr/share/games/frozen-bubble/snd
mkdir -p "$music" && cp "$deps/music/frozen-mainzik-2p.xm" "$music/"
packages=3
while read -r package inside sum; do
  case $package in '' | '#'*) continue ;; esac
  [ -d "$work/packages/$package" ] || packages=$((packages + 1))
  mkdir -p "$work/packages/$package/$(dirname "$inside")"
  cp "$deps/tracker-modules/${package}__$(basename "$inside")" "$work/packages/$package/$inside"
done <"$(dirname "$script")/../tests/soundengine/tracker/real_modules.txt"
while read -r package inside sum; do
  case $package in '' | '#'*) continue ;; esac
  [ -d "$work/packages/$package" ] || packages=$((packages + 1))
  mkdir -p "$work/packages/$package/$(dirname "$inside")"
  cp "$deps/real-ogg/${package}__$(basename "$inside")" "$work/packages/$package/$inside"
done <"$(dirname "$script")/../tests/soundengine/real_ogg_debian.txt"
cat >"$bin/apt-get" <<STANDIN
#!/usr/bin/env bash
echo "\$*" >>"$work/apt-calls"
package=\${!#}
[ -f "$work/offline" ] && { echo "E: Failed to fetch \$package" >&2; exit 100; }
echo "\$package" >"\${package}_1_all.deb"
STANDIN
cat >"$bin/dpkg-deb" <<STANDIN
#!/usr/bin/env bash
mkdir -p "\$3" && cp -r "$work/packages/\$(cat "\$2")/." "\$3/"
STANDIN
chmod +x "$bin"/*
run() { PATH=$bin:$PATH bash "$script" tests "$work/build" 2>&1; }
fetched() { grep -c download "$work/apt-calls" 2>/dev/null || true; }

out=$(run) || { echo "FAIL: the first fetch failed: $out"; exit 1; }
cmp -s "$real/pluck-pcm16.aiff" "$work/build/_deps/real-aiff/pluck-pcm16.aiff" ||
  { echo "FAIL: the AIFF file was not put in place"; exit 1; }
[ -s "$work/build/wine/fonts/marlett.ttf" ] || { echo "FAIL: the font was not put in place"; exit 1; }
cmp -s "$deps/tracker-modules/pingus-data__pingus-1.it" "$work/build/_deps/tracker-modules/pingus-data__pingus-1.it" ||
  { echo "FAIL: a tracker module was not put in place"; exit 1; }
[ "$(fetched)" -eq $packages ] || { echo "FAIL: $(fetched) downloads for $packages packages"; exit 1; }

run >/dev/null || { echo "FAIL: a second run with everything in place failed"; exit 1; }
[ "$(fetched)" -eq $packages ] || { echo "FAIL: files in place were downloaded again"; exit 1; }

# An interrupted download left half a file: it is fetched again, by its SHA-256.
head -c 100 "$real/pluck-pcm8.aiff" >"$work/build/_deps/real-aiff/pluck-pcm8.aiff"
run >/dev/null || { echo "FAIL: fetching a damaged file again failed"; exit 1; }
cmp -s "$real/pluck-pcm8.aiff" "$work/build/_deps/real-aiff/pluck-pcm8.aiff" ||
  { echo "FAIL: the damaged AIFF file was kept"; exit 1; }

# A damaged module too, one of a package's many: that package alone is fetched again.
echo damaged >"$work/build/_deps/tracker-modules/pingus-data__pingus-1.it"
run >/dev/null || { echo "FAIL: fetching a damaged module again failed"; exit 1; }
cmp -s "$deps/tracker-modules/pingus-data__pingus-1.it" "$work/build/_deps/tracker-modules/pingus-data__pingus-1.it" ||
  { echo "FAIL: the damaged module was kept"; exit 1; }
[ "$(fetched)" -eq $((packages + 2)) ] || { echo "FAIL: $(fetched) downloads, not one more for the module"; exit 1; }

# Without the archive: exit 1, naming the package once and what lacks it; what is in place stays.
rm -f "$work/build/wine/fonts/marlett.ttf" "$work/build/_deps/tracker-modules/pingus-data__"*
touch "$work/offline"
if out=$(run); then echo "FAIL: a package the archive did not give was reported as fetched"; exit 1; fi
grep -q "fonts-wine could not be downloaded.*close boxes show the letter r" <<<"$out" ||
  { echo "FAIL: the failure did not name the package and what lacks it: $out"; exit 1; }
[ "$(grep -c "pingus-data could not be downloaded" <<<"$out")" -eq 1 ] ||
  { echo "FAIL: the package of many files was not named once: $out"; exit 1; }
[ -s "$work/build/_deps/real-aiff/pluck-pcm8.aiff" ] || { echo "FAIL: a file in place was lost"; exit 1; }
echo "the files from Debian packages: passed"
