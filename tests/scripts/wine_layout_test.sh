#!/usr/bin/env bash
# Wine's commands, as the scripts' environment gives them, start without address-space
# randomization, and so does everything they start: a stand-in wine after the project's on
# PATH reports the personality its process was started with (0x0040000: no randomization).
# Skipped (77) where the machine forbids setting the personality (a container's filter).
#   wine_layout_test.sh <path of scripts/wine-env.sh>   (ORVALEN_BINARY_DIR: a build tree)
set -euo pipefail
env_script=$1
if ! said=$(setarch "$(uname -m)" --addr-no-randomize true 2>&1); then
  echo "skipped: this machine forbids turning address randomization off (setarch: ${said:-no reason given})"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin"
for command in wine wineboot winepath; do
  printf '#!/bin/sh\n[ "$1" = reg ] && exit 0\necho "%s $(cat /proc/self/personality)"\n' "$command" >"$work/bin/$command"
done
chmod +x "$work/bin"/*
said=$(PATH=$work/bin:$PATH ORVALEN_WINE=tests ORVALEN_BUILD_DIR="$ORVALEN_BINARY_DIR" bash -c '
  source "$1" >/dev/null 2>&1
  wine prog.exe; wineboot -u; winepath -w /' _ "$env_script")
for command in wine wineboot winepath; do
  grep -qx "$command 00040000" <<<"$said" || {
    echo "FAIL: $command was started with address randomization; the stand-ins said:"; echo "$said"; exit 1; }
done
echo "Wine's commands without address randomization: passed"
