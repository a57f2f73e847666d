#!/usr/bin/env bash
# Makes the zip archives the framework tests read, with the real zip tool:
#   make_zip_fixtures.sh <zip-program> <out-dir> <translation-data-dir> <resource.h>
set -euo pipefail
zip_tool=$1 out=$2 data=$3 symbols=$4
mkdir -p "$out"
cd "$out"

# Members: an incompressible binary stored as is, a deflated text, a read-only file
# and one in a folder, each with known times in its extended timestamp.
rm -rf members && mkdir -p members/folder
seq 1 20000 | gzip -n -9 -c >members/stored.bin
awk 'BEGIN { for (i = 1; i <= 3000; i++) printf "Line %d of the deflated member\r\n", i }' >members/deflated.txt
printf 'read only member\n' >members/readonly.txt
printf 'nested member\n' >members/folder/Nested.TXT
touch -d @1600000000 members/stored.bin members/deflated.txt members/readonly.txt members/folder/Nested.TXT
chmod 444 members/readonly.txt
rm -f archive.zip
(cd members && "$zip_tool" -q -0 ../archive.zip stored.bin)
(cd members && "$zip_tool" -q -9 ../archive.zip deflated.txt readonly.txt folder/Nested.TXT)

# Language packs: a whole one, one without its symbol file, and a cut-off one.
rm -rf pack && mkdir pack
cp "$data/translation.xml" pack/translation.xml
cp "$symbols" pack/resource.h
rm -f translation.zip translation-nosymbols.zip translation-damaged.zip
(cd pack && "$zip_tool" -q -9 ../translation.zip translation.xml resource.h)
(cd pack && "$zip_tool" -q -9 ../translation-nosymbols.zip translation.xml)
head -c $(( $(stat -c %s translation.zip) / 2 )) translation.zip >translation-damaged.zip
