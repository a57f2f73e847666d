# Failure counting shared by the peer check scripts, which source it.
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
expect() {  # expect <what> <wanted> <got>
  [ "$2" = "$3" ] || fail "$1: wanted '$2', got '$3'"
}
at_least() {  # at_least <what> <floor> <value>
  awk -v v="${3:-0}" -v f="$2" 'BEGIN { exit !(v >= f) }' || fail "$1: ${3:-?} below $2"
}
