# Sourced: a line when a step starts and a line with its time when it ends, so a long
# first run says what it is doing. Each script sets step_tag to its own name.
#   step "<what> (<hint>)" <command...>   the end line repeats <what> without the hint
# A command that ends the script through `set -e` says what failed, on standard error,
# before the script ends with that command's exit code.
step_tag=${step_tag:-orvalen}
step_what=
step_begin() { step_what=$1; step_started=$SECONDS; echo "$step_tag: $1..."; }
step_end() { echo "$step_tag: ${step_what%% (*}: $((SECONDS - step_started)) s"; step_what=; }
step() {
  step_begin "$1"
  shift
  "$@"
  step_end
}
step_failed() { # <exit code> <command>
  if [ -n "$step_what" ]; then
    echo "$step_tag: FAILED: ${step_what%% (*} (exit $1, after $((SECONDS - step_started)) s)" >&2
  else
    echo "$step_tag: FAILED (exit $1): $2" >&2
  fi
}
# Functions inherit the trap (-E); a subshell's failure is told once, by the script.
set -E
trap '__rc=$?; [ "$BASH_SUBSHELL" -eq 0 ] && step_failed "$__rc" "$BASH_COMMAND"' ERR
