#!/usr/bin/env python3
"""The tests a ctest run skipped (from its JUnit file), each with the reason it gave, and
whether this machine explains it. A skip that the machine does not explain (a fixture the
set-up should have fetched, a test's own condition) is a failure: exit code 1.
   test-skips.py <ctest's JUnit file>   (scripts/test.sh runs it after ctest)"""
import glob
import platform
import re
import subprocess
import sys
import xml.etree.ElementTree as ElementTree


def cannot_set_personality():
    return subprocess.run(["setarch", platform.machine(), "--addr-no-randomize", "true"],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode != 0


def no_wma_decoder():
    return not glob.glob("/usr/lib/*/gstreamer-1.0/libgstlibav.so")


# What a test says when it skips, what on this machine causes it, and the check that shows it.
EXPLANATIONS = [
    ("forbids turning address randomization off", "setarch cannot set the personality here",
     cannot_set_personality),
    ("WMA decoder takes no WMA stream here", "GStreamer's libav plug-in is not installed",
     no_wma_decoder),
]


def reason(output):
    lines = [line.rstrip() for line in output.splitlines()]
    for i, line in enumerate(lines):
        if re.search(r": Skipped$", line):  # GoogleTest: the message follows
            said = [l for l in lines[i + 1:i + 4] if l and not l.startswith("[")]
            return " ".join(said) or "no reason given"
        if line.lower().startswith("skipped: "):  # a script
            return line[len("skipped: "):]
    said = [l for l in lines if l.strip()]
    return said[-1] if said else "no reason given"


def main():
    skipped = []
    for case in ElementTree.parse(sys.argv[1]).getroot().iter("testcase"):
        if case.find("skipped") is not None:
            out = case.find("system-out")
            skipped.append((case.get("name"), reason(out.text or "" if out is not None else "")))
    print(f"test: skipped: {len(skipped)}")
    unexplained = 0
    for name, why in skipped:
        cause = next((cause for words, cause, shown in EXPLANATIONS if words in why and shown()), None)
        if cause:
            print(f"  {name}: {why} (this machine: {cause})")
        else:
            unexplained += 1
            print(f"  {name}: {why} (NOT explained by this machine: a failure)")
    if unexplained:
        print(f"test: FAILED: {unexplained} skipped test(s) that this machine does not explain")
    return 1 if unexplained else 0


if __name__ == "__main__":
    sys.exit(main())
