#!/usr/bin/env bash
# What Quindle.dll brings into the shell's process: the system's libraries only, no code
# of the picture decoders or of what the actions do when they run (which only the
# program links), and no more than 500 KB once stripped.
#   quindle_contents.sh <objdump> <nm> <strip> <Quindle.dll>
set -euo pipefail
objdump=$1 nm=$2 strip=$3 dll=$4
status=0
# The system's libraries a Today item may use: the kernel, windows and drawing, the
# registry, the common controls, the shell and its device side, COM, the C runtime.
system='kernel32.dll user32.dll gdi32.dll advapi32.dll comctl32.dll shell32.dll ole32.dll oleaut32.dll msvcrt.dll'
system+=' coredll.dll aygshell.dll'
imports=$("$objdump" -p "$dll" | sed -n 's/^[[:space:]]*DLL Name: //p')
[ -n "$imports" ] || { echo "Quindle.dll lists no imports"; status=1; }
for library in $imports; do
  if [[ " $system " != *" ${library,,} "* ]]; then
    echo "Quindle.dll imports $library, which is not one of the system's libraries"
    status=1
  fi
done
# Code symbols of the decoders (libjpeg, libpng, giflib, the imaging factory's and the
# slide show's loaders) and of the actions' work (radios, SNTP, SMS, time zones, connections).
work='jpeg_|png_|DGif|Decode(Png|Jpeg|Gif|Bmp)\b|FactoryPicture|Picture_Load|PictureLoader'
work+='|ActionWork|Sntp_|Ntp_|Sms_Send|FlightMode_|Wlan_|Bluetooth_|CellularLine_|TimeZoneList|CityDb_'
work+='|BuiltInTimeZone|InternetConnection_|Device_Reset'
linked=$("$nm" -C "$dll" | grep -E ' [Tt] ' | grep -E "$work" || true)
if [ -n "$linked" ]; then
  echo "Quindle.dll carries code it never runs:"
  head -20 <<<"$linked"
  status=1
fi
stripped=$(mktemp)
trap 'rm -f "$stripped"' EXIT
"$strip" -o "$stripped" "$dll"
size=$(stat -c %s "$stripped")
if [ "$size" -gt $((500 * 1024)) ]; then
  echo "Quindle.dll is $size bytes stripped, more than 500 KB"
  status=1
fi
[ $status -eq 0 ] && echo "Quindle.dll imports:" $imports "; $size bytes stripped"
exit $status
