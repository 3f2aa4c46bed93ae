#!/usr/bin/env bash
# The checks of the shell tests cannot lose a failure: a script whose only
# failing check runs inside $(...) ends with status 1, one without failures
# with 0. Usage: failures_count.sh (the arguments of the other shell tests
# are ignored).
set -u
lib=$(dirname "$0")/../lib/checks.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

# Runs a script that sources the checks; prints its status and output.
run_checked() { # script body
  local dir
  dir=$(mktemp -d -p "$work")
  bash -c ". '$lib' '$dir'; $1" >"$dir/out" 2>&1
  echo "$? $(tr '\n' ' ' <"$dir/out")"
}

expect() { # what, wanted status, script body
  local got
  got=$(run_checked "$3")
  if [ "${got%% *}" != "$2" ]; then
    echo "FAIL: $1: status ${got%% *}, wanted $2 (output: ${got#* })"
    status=1
  fi
}


expect "a wrong expectation inside \$(...)" 1 \
  "value() { [ 2 = 3 ] || fail 'two is not three'; echo 2; }; v=\$(value); finish self"
expect "a wrong expectation in a nested \$(...)" 1 \
  "inner() { fail deep; }; outer() { echo \"\$(inner)\"; }; v=\$(outer); finish self"
expect "two failures, one of them in a subshell" 1 \
  "fail first; ( fail second ); finish self"
expect "only right expectations" 0 \
  "value() { [ 3 = 3 ] || fail never; echo 3; }; v=\$(value); [ \"\$v\" = 3 ] || fail v; finish self"

# The count is reported.
got=$(run_checked "fail a; v=\$(fail b); finish self")
case "$got" in
*"self: 2 failed"*) ;;
*) echo "FAIL: two failures are not counted as two: $got"; status=1 ;;
esac

[ "$status" -eq 0 ] && echo "failures_count: all passed"
exit "$status"
