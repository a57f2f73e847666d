# Sourced by the screenshot scripts after steps.sh: every shot on a device and registry
# of its own, made fresh as a user's handheld is (nothing of an earlier shot is left),
# in the language ORVALEN_SHOTS_LANGUAGE asks for, and a failed shot makes the script fail.
# Set before sourcing: here, repo, build, step_tag, shots_folder (under the language's
# folder of build/screenshots), shots_registry (the device's registry root under HKCU).
#   ORVALEN_SHOTS_LANGUAGE=de   German texts (a language pack of every text of the program,
#                               made of tests/data/screenshots-de/translation.xml; its zip
#                               is shots_german_pack);
#                               the PNGs then go under build/screenshots/de/ (default en:
#                               build/screenshots/)
# Defines out (the PNG folder), work (the shots' own files) and
#   shot_prepare <name> [hands]  a fresh device and registry; sets shot_ready and shot_done,
#                                the files the showcase writes when up and waits for to end;
#                                "hands": the screen shows a clock's hands, and the device's
#                                clock is set once more just before the shot
#   shot_take <png> <seconds> <width> <height> <dpi> <program> [args...]
#                                shows the program on a virtual screen, saves the PNG once
#                                shot_ready exists; a shot that did not come up is noted.
#                                shot_language (default: the script's) is the device's
#                                language: in German Wine runs in the German locale, where
#                                the build made it (dates and day names)
#   shots_end                    the shots' step line; exits 1 naming the shots that failed
shots_language=${ORVALEN_SHOTS_LANGUAGE:-en}
case $shots_language in
  en) shots_lang_id=0409 out=$build/screenshots ;;
  de) shots_lang_id=0407 out=$build/screenshots/de ;;
  *) echo "$step_tag: ORVALEN_SHOTS_LANGUAGE is en or de, not '$shots_language'" >&2; exit 2 ;;
esac
if [ -n "$shots_folder" ]; then out=$out/$shots_folder; fi
work=$out/work
mkdir -p "$out" "$work"

export ORVALEN_WINE=run
source "$here/wine-env.sh"
source "$here/screen.sh"
source "$build/run/manifest.sh"
source "$here/device-files.sh"
trap screen_stop EXIT
shots_device=$work/device
export ORVALEN_DEVICE_ROOT=$(wine_path "$shots_device")
export ORVALEN_REGISTRY_ROOT=$shots_registry
shots_locales=$build/tests/today/locale
shots_german_pack=$work/german.zip
bash "$repo/tests/framework/make_dialog_pack.sh" zip "$shots_german_pack" \
  "$repo/tests/data/screenshots-de/translation.xml" "$repo/resources/resource.h"
shots_pack=$shots_german_pack
# The showcases read their texts from this pack; the program itself from its own folder.
if [ "$shots_language" = de ]; then export ORVALEN_SHOWCASE_PACK=$(wine_path "$shots_pack"); else unset ORVALEN_SHOWCASE_PACK; fi
# On the device as the program would be.
shots_program=$shots_device/Program\ Files/Orvalen/Orvalen.exe
shots_failed=()
shots_count=0
shot_language=$shots_language

# The device as a user's handheld has it: its own programs and libraries in \Windows (its
# services, which host the activity driver, among them), the program with the driver and
# in German its language pack in \Program Files\Orvalen; a registry with only the language;
# the clock at 10:08:30 of the day.
shot_device() {
  rm -rf "$shots_device"
  mkdir -p "$shots_device/My Documents"
  device_put_files "$shots_device"
  if [ "$shots_language" = de ]; then cp -f "$shots_pack" "${shots_program%/*}/translation.zip"; fi
  printf 'REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\%s]\r\n\r\n[HKEY_CURRENT_USER\\%s\\HKCU\\Software\\Ostrel\\Orvalen\\Clock\\Language]\r\n"LangID"=dword:0000%s\r\n' \
    "$shots_registry" "$shots_registry" "$shots_lang_id" >"$work/registry.reg"
  wine regedit /s "$(wine_path "$work/registry.reg")" >/dev/null 2>&1 8>&-
  shot_clock_at
}

shot_clock_at() { wine "$run_device_tool" at 10:08:30 >/dev/null 8>&-; }

# A clock draws the second it reads on its next tick (a third of a second): set again and
# shot half a second later, its hands come out the same in every shot, however long the
# screen took to come up.
shot_clock_again() {
  shot_clock_at
  sleep 0.5
}

shot_prepare() {
  shot_ready=$work/$1.ready shot_done=$work/$1.done
  rm -f "$shot_ready" "$shot_done"
  screen_before_shot=
  [ "${2:-}" != hands ] || screen_before_shot=shot_clock_again
  shot_device
}

shot_take() {
  local png=$1 seconds=$2 width=$3 height=$4 dpi=$5
  shift 5
  shots_count=$((shots_count + 1))
  [ "$shots_count" -eq 1 ] && step_begin "taking the screenshots (a few seconds each)"
  screen_start "$width" "$height" "$dpi"
  if [ "$shot_language" = de ] && [ -d "$shots_locales/de_DE.UTF-8" ]; then
    # Only Wine gets the locale: the shell itself has none such.
    wine() { env LOCPATH="$shots_locales" LC_ALL=de_DE.UTF-8 wine "$@"; }
    screen_show "$@"
    unset -f wine
  else
    screen_show "$@"
  fi
  screen_shot_when_ready "$shot_ready" "$png" "$seconds" || shots_failed+=("$(basename "$png" .png)")
  touch "$shot_done"
  screen_stop
}

shots_end() {
  if [ "$shots_count" -eq 0 ]; then
    echo "$step_tag: FAILED: no screenshot matched the names given" >&2
    exit 1
  fi
  step_end
  if [ ${#shots_failed[@]} -gt 0 ]; then
    echo "$step_tag: FAILED: ${#shots_failed[@]} of $shots_count screenshots did not come up: ${shots_failed[*]}" >&2
    exit 1
  fi
  echo "$step_tag: $shots_count screenshots in ${out#"$repo"/}"
}
