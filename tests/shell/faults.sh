#!/usr/bin/env bash
# What zebfala and the game do when the system fails them: no room left for
# the output file (a full device, a full disk), and no data tree at all.
# An output file is written whole or not at all, and every failure ends with
# a message and an exit code other than 0.
# Usage: faults.sh HEADLESS_PROGRAM DATA_ROOT (zebfala lies beside it)
set -u
headless=$1
zebfala=$(dirname "$1")/zebfala
root=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/../lib/checks.sh" "$work"

text="Bom dia, tudo bem? Tenho vinte e cinco anos e moro numa casa amarela."
engines=("native" "quelo")
engine_args() { # engine -> the options that choose it
  [ "$1" = quelo ] && echo "--engine quelo"
}

# A device that is always full. Root makes a private one, so that a program
# that replaced the device with a file would replace only this copy.
full=/dev/full
if [ "$(id -u)" -eq 0 ] && mknod "$work/full" c 1 7 2>/dev/null; then
  full=$work/full
fi

for engine in "${engines[@]}"; do
  # shellcheck disable=SC2046
  set -- $(engine_args "$engine")

  # A full device.
  if [ -c "$full" ]; then
    ZEBUNA_ROOT="$root" "$zebfala" "$@" -w "$full" "$text" 2>"$work/err"
    code=$?
    [ $code -ne 0 ] || fail "$engine: -w $full exited with 0"
    grep -q "$full" "$work/err" || fail "$engine: no message naming $full: $(cat "$work/err")"
    [ -c "$full" ] || fail "$engine: $full is no longer a device"
  else
    echo "SKIP: $engine: no full device ($full)"
  fi

  # A file size limit stops every write past 16 KB. zebfala ignores the
  # signal it raises, so that the write fails as on a full disk: exit 1 and
  # a message. The old file stays as it was and no temporary file is left.
  out=$work/$engine.wav
  echo OLD >"$out"
  (
    ulimit -f 16
    ZEBUNA_ROOT="$root" exec "$zebfala" "$@" -w "$out" "$text"
  ) 2>"$work/err"
  code=$?
  [ $code -eq 1 ] || fail "$engine: writing past the size limit exited with $code"
  grep -q "$out: could not be written whole" "$work/err" ||
    fail "$engine: writing past the size limit: $(cat "$work/err")"
  [ "$(cat "$out")" = OLD ] || fail "$engine: a half-written file replaced $out"
  leftovers=$(find "$work" -name "$engine.wav.tmp*")
  [ -z "$leftovers" ] || fail "$engine: temporary files left: $leftovers"

  # With room, the file is written and replaces the old one.
  ZEBUNA_ROOT="$root" "$zebfala" "$@" -w "$out" "$text" || fail "$engine: -w exited with $?"
  [ "$(head -c 4 "$out")" = RIFF ] || fail "$engine: $out is not a WAV file"
done

# Ended by a signal while it writes: the temporary file goes with it.
long=$(for i in $(seq 400); do echo "Frase n$i, com pausas: lenta; muito lenta."; done)
for engine in "${engines[@]}"; do
  # shellcheck disable=SC2046
  set -- $(engine_args "$engine")
  out=$work/long-$engine.wav
  ZEBUNA_ROOT="$root" "$zebfala" "$@" -w "$out" - <<<"$long" 2>/dev/null &
  pid=$!
  for _ in $(seq 100); do
    [ -n "$(find "$work" -name "long-$engine.wav.tmp*")" ] && break
    sleep 0.1
  done
  [ -n "$(find "$work" -name "long-$engine.wav.tmp*")" ] ||
    fail "$engine: no temporary file while writing"
  kill -TERM "$pid"
  wait "$pid"
  code=$?
  [ $code -eq 143 ] || fail "$engine: ended by SIGTERM, exited with $code"
  leftovers=$(find "$work" -name "long-$engine.wav*")
  [ -z "$leftovers" ] || fail "$engine: ended by a signal, left: $leftovers"
done

# No data tree at all: a message, and no output file.
mkdir "$work/nothing"
ZEBUNA_ROOT="$work/nothing" "$zebfala" -w "$work/none.wav" "$text" 2>"$work/err"
code=$?
[ $code -ne 0 ] || fail "zebfala without data exited with 0"
grep -q "Erro de inicializa" "$work/err" || fail "zebfala without data: $(cat "$work/err")"
[ ! -e "$work/none.wav" ] || fail "zebfala without data wrote a file"

ZEBUNA_ROOT="$work/nothing" timeout 20 "$headless" --keys '{ENTER}' >"$work/game.txt" 2>&1
code=$?
[ $code -ne 124 ] || fail "the game without data did not end"
grep -q "Erro de inicializa" "$work/game.txt" || fail "the game without data: $(cat "$work/game.txt")"
grep -qx "exit 1" "$work/game.txt" || fail "the game without data did not end by itself with exit code 1"

finish faults
