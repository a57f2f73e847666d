# Sourced: a line when a step starts and a line with its time when it ends, so a long
# first run says what it is doing. Each script sets step_tag to its own name.
#   step "<what> (<hint>)" <command...>   the end line repeats <what> without the hint
step_tag=${step_tag:-orvalen}
step_begin() { step_what=$1; step_started=$SECONDS; echo "$step_tag: $1..."; }
step_end() { echo "$step_tag: ${step_what%% (*}: $((SECONDS - step_started)) s"; }
step() {
  step_begin "$1"
  shift
  "$@"
  step_end
}
