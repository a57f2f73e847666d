#!/usr/bin/env bash
# A program that crashes must fail at once: within 10 s, with an exit code other than 0
# and the fault's address in its output (the test support's report, or Wine's debugger's
# for a program without the tests' start).
#   crash_checks.sh main|static <wine runner> [--start-mark] <crash probe>
set -uo pipefail
where=$1
shift
started=$(date +%s%N)
status=0
out=$(timeout 10 "$@" "$where" 2>&1) || status=$?
ms=$(( ($(date +%s%N) - started) / 1000000 ))
fail() { echo "FAIL: a crash in $where: $* (after $ms ms, exit code $status); the program said:"; echo "$out"; exit 1; }
[ "$status" -ne 124 ] || fail "still running after 10 s"
[ "$status" -ne 0 ] || fail "it ended as if it had succeeded"
function=$(sed -n 's/^crash probe: writing through a null pointer in \([0-9A-Fa-f]*\).*/\1/p' <<<"$out" | head -n 1)
[ -n "$function" ] || fail "the probe did not get to its crash"
fault=$(grep -oiE 'at (address )?(0x)?[0-9a-f]{8,16}' <<<"$out" | head -n 1 | grep -oiE '[0-9a-f]{8,16}$')
[ -n "$fault" ] || fail "no fault address in the output"
# The write is a few instructions into the probe's function.
distance=$(( 0x$fault - 0x$function ))
[ "$distance" -ge 0 ] && [ "$distance" -lt 256 ] || fail "the address $fault is not in the crashing function at $function"
echo "a crash in $where: exit code $status after $ms ms, at $fault"
