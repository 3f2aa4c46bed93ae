# Checks for the shell tests, sourced by them: ". checks.sh WORK_DIR".
#
# Every failure is written to a list in WORK_DIR as well as to the standard
# error, so that a check made inside $(...) counts like any other: the
# subshell's variables are lost, its files are not. `finish NAME` ends the
# script, with status 1 when anything failed.

checks_list=$1/failures
: >"$checks_list"

fail() {
  echo "FAIL: $*" >&2
  echo "$*" >>"$checks_list"
}

finish() {
  local failed
  failed=$(wc -l <"$checks_list")
  if [ "$failed" -ne 0 ]; then
    echo "$1: $failed failed"
    exit 1
  fi
  echo "$1: all passed"
  exit 0
}
