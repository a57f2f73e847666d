#!/usr/bin/env bash
# Screenshots of every screen of the program, at 240 x 320 (96 DPI) and 480 x 640
# (192 DPI), in English and in German, each on a fresh device with the activity driver
# as a user's handheld has it: the dialog hosts, main window, ring screens and clocks
# (scripts/dialog-screenshots.sh), the editors (scripts/editor-screenshots.sh), the popup,
# options and about page (scripts/options-screenshots.sh), each once per language, and
# the Today item (scripts/today-screenshots.sh, both languages at once). English goes to
# build/screenshots/, German to build/screenshots/de/. Every script runs, even after one
# failed; the run ends with 1, naming those that failed. About 20 minutes.
#   JOBS=n   build jobs (default: all processors)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
step_tag=all-screenshots
source "$here/steps.sh"

failed=()
run_script() {  # language script
  local status=0
  ORVALEN_SHOTS_LANGUAGE=$1 "$here/$2" || status=$?
  [ "$status" -eq 0 ] || failed+=("$2 ($1, exit $status)")
}
# First: its build makes the German locale the German shots use.
step "today-screenshots.sh in en and de" run_script en today-screenshots.sh
for language in en de; do
  for script in dialog-screenshots.sh editor-screenshots.sh options-screenshots.sh; do
    step "$script in $language" run_script "$language" "$script"
  done
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "$step_tag: FAILED: ${failed[*]}" >&2
  exit 1
fi
echo "$step_tag: every screen in build/screenshots/ (English) and build/screenshots/de/ (German)"
