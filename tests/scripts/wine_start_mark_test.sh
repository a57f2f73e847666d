#!/usr/bin/env bash
# scripts/wine.sh --start-mark with a stand-in wine earlier on PATH: a program that began
# (made its start mark) and failed is run once, its exit code passed on; a start that Wine
# refused (no mark, and Wine's words on the shared user data) is written down with what
# Wine said and made again; one that never leaves the mark fails, even when Wine called it
# a success; one that left no mark for another cause (a missing library) fails at once and
# is not written down; without --start-mark nothing is retried; a process that Wine started
# for the program and that died at its start is written down.
#   wine_start_mark_test.sh <path of scripts/wine.sh>
set -euo pipefail
wine_sh=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bin=$work/bin
mkdir -p "$bin"
# The stand-in: counts its runs; makes the mark (its Windows path on drive Z:) from the
# run named in $work/marks-from on, and before it says what Wine says of a start it refused
# (or of a library it cannot find); ends with $work/code.
cat >"$bin/wine" <<STANDIN
#!/usr/bin/env bash
[ "\$1" = reg ] && exit 0
echo x >>"$work/runs"
runs=\$(wc -l <"$work/runs")
echo "wine: run \$runs" >&2
if [ -n "\${ORVALEN_START_MARK_FILE:-}" ] && [ "\$runs" -ge "\$(cat "$work/marks-from")" ]; then
  mark=\${ORVALEN_START_MARK_FILE#Z:}
  : >"\${mark//\\\\//}"
elif [ -f "$work/library-missing" ]; then
  echo "err:module:import_dll Library gone.dll (which is needed by L\"prog.exe\") not found" >&2
  exit 53
elif [ -n "\${ORVALEN_START_MARK_FILE:-}" ]; then
  echo "err:virtual:virtual_alloc_first_teb wine: failed to map the shared user data: c0000018" >&2
fi
[ -f "$work/explorer-died" ] && echo "err:virtual:virtual_alloc_first_teb wine: failed to map the shared user data: c0000018" >&2
exit "\$(cat "$work/code")"
STANDIN
printf '#!/bin/sh\nmkdir -p "$WINEPREFIX"\n' >"$bin/wineboot"
printf '#!/bin/sh\nexit 0\n' >"$bin/wineserver"
chmod +x "$bin"/*
log=$work/build/logs/refused-starts.log
case_() {  # <marks from run n> <exit code> <wanted exit> <wanted runs> <wanted entries> <wine.sh arguments...>
  local from=$1 code=$2 want=$3 runs=$4 entries=$5 status=0
  shift 5
  echo "$from" >"$work/marks-from"
  echo "$code" >"$work/code"
  rm -f "$work/runs" "$log"
  PATH=$bin:$PATH ORVALEN_WINE=tests ORVALEN_BUILD_DIR=$work/build bash "$wine_sh" "$@" >/dev/null 2>"$work/said" || status=$?
  local got_runs got_entries
  got_runs=$(cat "$work/runs" 2>/dev/null | wc -l)
  got_entries=$(grep -c '^refused start' "$log" 2>/dev/null || true)
  [ "$status" -eq "$want" ] && [ "$got_runs" -eq "$runs" ] && [ "${got_entries:-0}" -eq "$entries" ] || {
    echo "FAIL: marks from run $from, code $code, arguments $*: exit $status, $got_runs runs, ${got_entries:-0} refused starts;" \
      "wanted $want, $runs, $entries; it said:"; cat "$work/said"
    exit 1
  }
}
case_ 1 1 1 1 0 --start-mark prog.exe   # began and failed: once, its own exit code
case_ 1 0 0 1 0 --start-mark prog.exe   # began and passed
case_ 2 0 0 2 1 --start-mark prog.exe   # refused once, then began
grep -q "wine: run 1" "$log" || { echo "FAIL: the refused start's entry lacks what Wine said"; exit 1; }
touch "$work/library-missing"              # Wine could not load it: failed at once, not refused
case_ 9 0 53 1 0 --start-mark prog.exe
grep -q "prog.exe never began, and Wine did not refuse its start.*gone.dll" "$work/said" ||
  { echo "FAIL: the failed start does not say why; it said:"; cat "$work/said"; exit 1; }
rm "$work/library-missing"
case_ 9 0 125 3 3 --start-mark prog.exe # never began, though Wine said 0
case_ 9 1 1 1 0 prog.exe                # unmarked: never tried again
touch "$work/explorer-died"                # a process Wine started for it died at its start
case_ 1 0 0 1 1 --start-mark prog.exe
grep -q "died at its start in run .*failed to map the shared user data" "$log" ||
  { echo "FAIL: the dead process's entry lacks what Wine said"; exit 1; }
echo "wine.sh's start mark: passed"
