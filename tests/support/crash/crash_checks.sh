#!/usr/bin/env bash
# A program that crashes must fail at once: within 10 s of its crash, with the fault's
# address in its output, reported as expected: by the test support ("support": exit code 3,
# its own line, and its start made once: the crash report and the start mark come before
# any code that can crash), or by Wine for a program without the tests' start ("wine": the
# exception's code as exit code). The 10 s count from the crash (the probe marks its moment
# in a file): how long Wine took to start it on a busy machine is no part of the crash.
#   crash_checks.sh main|static|locked support|wine <wine runner> [--start-mark] <crash probe>
#   (ORVALEN_BUILD_DIR: the build tree, whose logs/refused-starts.log the runner writes)
set -uo pipefail
where=$1 reporter=$2
shift 2
probe=${!#}
start_log=$ORVALEN_BUILD_DIR/logs/refused-starts.log
refused() { local n; n=$(grep -cF "$(basename "$probe") $where ended" "$start_log" 2>/dev/null); echo "${n:-0}"; }
refused_before=$(refused)
said=$(mktemp) moment=$(mktemp -u)
trap 'rm -f "$said" "$moment"' EXIT
now() { date +%s%N; }
# (a start that never reaches the crash is ended too, long after any start's time)
ORVALEN_CRASH_MOMENT_FILE="Z:${moment//\//\\}" timeout 100 "$@" "$where" >"$said" 2>&1 &
runner=$!
crashed= hung=
while kill -0 "$runner" 2>/dev/null; do
  [ -n "$crashed" ] || [ ! -e "$moment" ] || crashed=$(now)
  if [ -n "$crashed" ] && [ $(( $(now) - crashed )) -gt 10000000000 ]; then
    hung=1
    kill "$runner"
    break
  fi
  sleep 0.02
done
status=0
wait "$runner" || status=$?
[ -n "$crashed" ] || [ ! -e "$moment" ] || crashed=$(now)
out=$(cat "$said")
ms=$(( ($(now) - ${crashed:-$(now)}) / 1000000 ))
fail() { echo "FAIL: a crash in $where: $* ($ms ms after the crash, exit code $status); the program said:"; echo "$out"; exit 1; }
[ -z "$hung" ] || fail "still running 10 s after its crash"
[ "$status" -ne 124 ] || fail "it did not get to its crash within 100 s of its start"
[ -n "$crashed" ] || fail "it did not mark the moment of its crash"
function=$(sed -n 's/^crash probe: writing through a null pointer in \([0-9A-Fa-f]*\).*/\1/p' <<<"$out" | head -n 1)
[ -n "$function" ] || fail "the probe did not get to its crash"
if [ "$reporter" = support ]; then
  [ "$status" -eq 3 ] || fail "not the test support's exit code 3"
  fault=$(sed -n 's/^test support: crashed: exception c0000005 at \(0x\)\{0,1\}\([0-9A-Fa-f]*\).*/\2/p' <<<"$out" | head -n 1)
  [ -n "$fault" ] || fail "no report of the test support's with the access violation"
  [ "$(refused)" -eq "${refused_before:-0}" ] || fail "its start was made again (written down as refused)"
else
  [ "$status" -eq $((0xc0000005 & 0xff)) ] || fail "not the access violation's code as exit code"
  fault=$(grep -oiE 'at address (0x)?[0-9a-f]{8,16}' <<<"$out" | head -n 1 | grep -oiE '[0-9a-f]{8,16}$')
  [ -n "$fault" ] || fail "no line of Wine's with the fault's address"
fi
# The write is a few instructions into the probe's function.
distance=$(( 0x$fault - 0x$function ))
[ "$distance" -ge 0 ] && [ "$distance" -lt 256 ] || fail "the address $fault is not in the crashing function at $function"
echo "a crash in $where: exit code $status, ended at most $ms ms after it, at $fault, reported by the $reporter"
