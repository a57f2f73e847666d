#!/usr/bin/env bash
# The set-up's package step on a machine that lacks some of its packages: stand-ins for
# dpkg-query, apt-get and id earlier on PATH make the machine; the step must install
# exactly what is missing and go on.
#   setup_packages_test.sh <path of scripts/setup.sh>
set -euo pipefail
setup=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bin=$work/bin
mkdir -p "$bin"
packages=$(sed -n '/^packages=(/,/^)/p' "$setup" | sed 's/#.*//; s/packages=(//; s/)//' | tr -s ' \n' '\n' | sed '/^$/d')
absent=$(sed -n '3p;7p' <<<"$packages")  # two of the list's own names
[ "$(wc -l <<<"$absent")" -eq 2 ] || { echo "FAIL: the package list was not found in $setup"; exit 1; }
grep -vxF "$absent" <<<"$packages" >"$work/installed"

# dpkg-query -W as Debian's: a line for each known package, exit 1 when one is not installed.
cat >"$bin/dpkg-query" <<STANDIN
#!/usr/bin/env bash
shift 2  # -W -f=...
rc=0
for p in "\$@"; do
  if grep -qxF "\$p" "$work/installed"; then echo "\$p install ok installed"; else echo "\$p unknown ok not-installed"; rc=1; fi
done
exit \$rc
STANDIN
# apt-get records what it is asked and "installs" it.
cat >"$bin/apt-get" <<STANDIN
#!/usr/bin/env bash
echo "\$*" >>"$work/apt-calls"
[ "\$1" = install ] || exit 0
for p in "\$@"; do case \$p in -*|install) ;; *) echo "\$p" >>"$work/installed" ;; esac; done
STANDIN
printf '#!/bin/sh\n[ "$1" = -u ] && echo 0 || echo root\n' >"$bin/id"
chmod +x "$bin"/*

out=$(PATH=$bin:$PATH ORVALEN_SETUP_ONLY=packages ORVALEN_BUILD_DIR=$work/build bash "$setup" 2>&1) || {
  echo "FAIL: the package step ended with $? on a machine missing two packages; it said:"; echo "$out"; exit 1; }
installed_now=$(grep '^install' "$work/apt-calls" | tr ' ' '\n' | grep -v -e '^-' -e '^install$' | sort)
[ "$installed_now" = "$(sort <<<"$absent")" ] || {
  echo "FAIL: apt-get install was asked for [$installed_now], not the missing [$absent]"; echo "$out"; exit 1; }
grep -q "$(head -1 <<<"$absent")" <<<"$out" || { echo "FAIL: the step did not say what it installs: $out"; exit 1; }

# Nothing missing: no apt-get at all.
rm -f "$work/apt-calls"
PATH=$bin:$PATH ORVALEN_SETUP_ONLY=packages bash "$setup" >/dev/null 2>&1
[ ! -e "$work/apt-calls" ] || { echo "FAIL: apt-get ran with every package installed"; exit 1; }

# An install that fails ends with the cause and the command to run by hand.
printf '#!/bin/sh\n[ "$1" = install ] && { echo "E: Unable to locate package" >&2; exit 100; }\nexit 0\n' >"$bin/apt-get"
grep -vxF "$absent" <<<"$packages" >"$work/installed"
if out=$(PATH=$bin:$PATH ORVALEN_SETUP_ONLY=packages bash "$setup" 2>&1); then
  echo "FAIL: a failed apt-get install was reported as success"; exit 1
fi
grep -q "apt-get install --no-install-recommends" <<<"$out" || { echo "FAIL: no command to run by hand in: $out"; exit 1; }
# After an interrupted dpkg run apt refuses every install; the set-up names the one fix.
printf '#!/bin/sh\n[ "$1" = install ] && { echo "E: dpkg was interrupted, you must manually run '"'"'dpkg --configure -a'"'"' to correct the problem." >&2; exit 100; }\nexit 0\n' >"$bin/apt-get"
if out=$(PATH=$bin:$PATH ORVALEN_SETUP_ONLY=packages bash "$setup" 2>&1); then
  echo "FAIL: an install refused after an interrupted dpkg was reported as success"; exit 1
fi
grep -q "^setup: .*dpkg --configure -a" <<<"$out" || { echo "FAIL: the set-up did not name dpkg --configure -a: $out"; exit 1; }
echo "the package step: passed"
