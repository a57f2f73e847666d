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
# The codec tool under Wine on a jobs file, its output on standard output. It marks its
# start: a start Wine refuses before the tool ran a line is made again by the runner, a
# run that failed is a failure.
run_tool() {  # run_tool <jobs file>   (run and tool: the script's arguments)
  "$run" --start-mark "$tool" "$1"
}
