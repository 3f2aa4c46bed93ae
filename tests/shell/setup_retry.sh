#!/usr/bin/env bash
# The setup scripts on the package registry's bad days, with stand-ins for
# apt-get, dpkg, dpkg-query and sudo on PATH: a refresh that fails is tried
# three times and then the lists already here serve; only a package that
# cannot be installed fails a script; Wine that cannot be installed gives
# setup-windows.sh its own status (75) and a reason. The arguments of the
# other shell tests are ignored.
set -u
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/../lib/checks.sh" "$work"

# The stand-ins log every call to $work/calls. apt-get's "update" fails its
# first $FAIL_UPDATES calls; "install" fails when an argument matches
# $FAIL_INSTALL. Nothing is installed, every architecture is there.
mkdir "$work/bin"
cat >"$work/bin/apt-get" <<'STANDIN'
#!/usr/bin/env bash
echo "apt-get $*" >>"$STANDIN_DIR/calls"
case "$1" in
update)
  n=$(($(cat "$STANDIN_DIR/updates" 2>/dev/null || echo 0) + 1))
  echo "$n" >"$STANDIN_DIR/updates"
  if [ "$n" -le "${FAIL_UPDATES:-0}" ]; then
    echo "E: File has unexpected size (1234 != 5678). Mirror sync in progress?" >&2
    exit 100
  fi ;;
install)
  for arg; do
    if [ -n "${FAIL_INSTALL:-}" ] && [[ $arg == $FAIL_INSTALL ]]; then
      echo "E: Unable to locate package $arg" >&2
      exit 100
    fi
  done ;;
esac
exit 0
STANDIN
cat >"$work/bin/dpkg" <<'STANDIN'
#!/usr/bin/env bash
echo "dpkg $*" >>"$STANDIN_DIR/calls"
[ "$1" = --print-foreign-architectures ] && echo i386
exit 0
STANDIN
printf '#!/bin/sh\nexit 1\n' >"$work/bin/dpkg-query"
printf '#!/bin/sh\nexec "$@"\n' >"$work/bin/sudo"
chmod +x "$work/bin"/*

# Runs a setup script in a fresh log; prints its exit status.
run_setup() { # fail_updates, fail_install, script, args...
  rm -f "$work/calls" "$work/updates"
  local status=0
  FAIL_UPDATES=$1 FAIL_INSTALL=$2 STANDIN_DIR=$work ZEB_APT_RETRY_PAUSE=0 \
    PATH="$work/bin:$PATH" bash "$scripts/$3" "${@:4}" >"$work/out" 2>&1 || status=$?
  echo "$status"
}

calls_of() { grep -c "^apt-get $1" "$work/calls" 2>/dev/null || true; }

expect() { # what, wanted, got
  [ "$2" = "$3" ] || fail "$1: got '$3', wanted '$2' (output: $(tr '\n' ' ' <"$work/out"))"
}

# case: failed refreshes, failed installs, script, wanted status, refreshes, installs
while read -r updates installs script status want_updates want_installs; do
  what="$script with $updates failed refreshes, install failing on '$installs'"
  [ "$installs" = - ] && installs=
  got=$(run_setup "$updates" "$installs" "$script" --wine)
  expect "$what: status" "$status" "$got"
  expect "$what: refreshes" "$want_updates" "$(calls_of update)"
  expect "$what: installs" "$want_installs" "$(calls_of install)"
done <<'CASES'
0 - setup.sh 0 1 1
2 - setup.sh 0 3 1
9 - setup.sh 0 3 1
0 build-essential setup.sh 100 1 3
9 - setup-windows.sh 0 3 2
0 wine32:i386 setup-windows.sh 75 1 4
0 nsis setup-windows.sh 100 1 3
CASES

# Wine that cannot be installed says why, on its last line.
run_setup 0 wine32:i386 setup-windows.sh --wine >/dev/null
tail -n 1 "$work/out" | grep -q "Wine could not be installed: E: Unable to locate package wine32:i386" ||
  fail "setup-windows.sh does not give the reason: $(tail -n 1 "$work/out")"
grep -q "going on with the package lists already on this machine" "$work/out" &&
  fail "setup-windows.sh says the lists failed after a refresh that worked"
run_setup 9 wine32:i386 setup-windows.sh --wine >/dev/null
tail -n 1 "$work/out" | grep -q "after the package lists could not be refreshed: E: File has unexpected size" ||
  fail "setup-windows.sh does not name the failed refresh: $(tail -n 1 "$work/out")"
run_setup 9 - setup.sh >/dev/null
grep -q "going on with the package lists already on this machine" "$work/out" ||
  fail "setup.sh does not say it goes on with the lists already here"

finish setup_retry
