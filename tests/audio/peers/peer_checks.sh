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
# The codec tool under Wine on a jobs file, its output on standard output. Wine sometimes
# refuses to start a program at a crowded suite's start: a failed run is tried twice more.
run_tool() {  # run_tool <jobs file>   (run and tool: the script's arguments)
  local try out
  for try in 1 2 3; do
    if out=$("$run" "$tool" "$1"); then printf '%s\n' "$out"; return 0; fi
    [ $try -lt 3 ] && echo "peer check: the codec tool failed on try $try; trying again" >&2 && sleep 0.3
  done
  printf '%s\n' "$out"
  return 1
}
