#!/usr/bin/env bash
# A test program whose tests passed but whose device's teardown hangs fails: with the
# watch's exit code 4 soon after its limit (here 2 s), naming the step it hung in and the
# threads still running, instead of ending with the tests' own result.
#   teardown_checks.sh <wine runner> --start-mark <teardown probe>
set -uo pipefail
started=$(date +%s%N)
status=0
out=$(ORVALEN_TEARDOWN_LIMIT_MS=2000 timeout 60 "$@" 2>&1) || status=$?
ms=$(( ($(date +%s%N) - started) / 1000000 ))
fail() { echo "FAIL: a hanging teardown: $* (after $ms ms, exit code $status); the program said:"; echo "$out"; exit 1; }
[ "$status" -ne 124 ] || fail "still running after 60 s"
grep -q '^\[  PASSED  \] 1 test' <<<"$out" || fail "the probe's test did not pass"
[ "$status" -eq 4 ] || fail "not the hung teardown's exit code 4"
grep -q "FAILED: the device's teardown did not end within 2000 ms; it was unloading .*hang_on_unload.dll" <<<"$out" ||
  fail "no report of the step it hung in"
grep -q "^  [0-9a-f]* teardown_probe.exe+0x[0-9a-f]* (the main thread, in the teardown)" <<<"$out" ||
  fail "the threads still running are not listed"
echo "a hanging teardown: exit code $status after $ms ms"
