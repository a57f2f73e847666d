#!/usr/bin/env bash
# What Quindle.dll brings into the shell's process: the system's libraries only (no
# Winsock, no multimedia library), and no code of the picture decoders or of what the
# actions do when they run, which only the program links.
#   quindle_contents.sh <objdump> <nm> <Quindle.dll>
set -euo pipefail
objdump=$1 nm=$2 dll=$3
status=0
imports=$("$objdump" -p "$dll" | sed -n 's/^[[:space:]]*DLL Name: //p')
for unwanted in WS2_32.dll WINMM.dll; do
  if grep -qix "$unwanted" <<<"$imports"; then
    echo "Quindle.dll imports $unwanted"
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
[ $status -eq 0 ] && echo "Quindle.dll imports:" $imports
exit $status
