#!/usr/bin/env bash
# What zebfala and the game do with files the user may not touch: an output
# directory that cannot be written, a voice file and a word list that
# cannot be read. Permissions do not hold for root, so root runs the
# programs as the user nobody; where nobody cannot reach the programs or the
# data the test is skipped (exit 77), and says so.
# Usage: permissions.sh HEADLESS_PROGRAM DATA_ROOT (zebfala lies beside it)
set -u
headless=$1
zebfala=$(dirname "$1")/zebfala
root=$2
work=$(mktemp -d)
trap 'chmod -R u+rwx "$work"; rm -rf "$work"' EXIT
chmod 755 "$work"
. "$(dirname "$0")/../lib/checks.sh" "$work"

as_user=()
if [ "$(id -u)" -eq 0 ]; then
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
  if ! command -v setpriv >/dev/null ||
    ! "${as_user[@]}" test -x "$zebfala" -a -x "$headless" -a -r "$root/windows/ZEBUNA.INI"; then
    echo "SKIP: running as root, and the user nobody cannot reach $zebfala and $root"
    exit 77
  fi
fi
run() { "${as_user[@]}" env ZEBUNA_ROOT="$root" "$@"; }

# An output directory that cannot be written.
mkdir "$work/readonly"
chmod 555 "$work/readonly"
for engine in native quelo; do
  args=()
  [ "$engine" = quelo ] && args=(--engine quelo)
  run "$zebfala" "${args[@]}" -w "$work/readonly/fala.wav" "Bom dia" 2>"$work/err"
  code=$?
  [ $code -ne 0 ] || fail "$engine: writing into a read-only directory exited with 0"
  [ -s "$work/err" ] || fail "$engine: a refused write said nothing"
  [ -z "$(ls -A "$work/readonly")" ] || fail "$engine: files left in the read-only directory"
done

# A configuration whose KEY (a line of the shipped ZEBUNA.INI, perhaps
# commented out) is set to VALUE.
config_with() { # key value out
  sed "s|^;\\?$1=.*|$1=$2\\r|" "$root/windows/ZEBUNA.INI" >"$3"
  grep -q "^$1=$2" "$3" || fail "no $1 line in the shipped ZEBUNA.INI"
}

# A rule file of the native voice that cannot be read: the voice cannot
# start, with its message.
cp -r "$root/talvek/som/difones" "$work/difones"
chmod 000 "$work/difones/regras.rgr"
config_with DIRDIFONES "$work/difones/" "$work/rules.ini"
chmod 644 "$work/rules.ini"
run "$zebfala" --config "$work/rules.ini" -w "$work/x.wav" "casa" 2>"$work/err"
code=$?
[ $code -ne 0 ] || fail "an unreadable rule file: zebfala exited with 0"
grep -q "Erro de inicializa.*: 2" "$work/err" || fail "an unreadable rule file: $(cat "$work/err")"

# A word list that cannot be read: the game says so, printed and spoken,
# and ends.
cp "$root/talvek/som/quibo2/galdrino.pal" "$work/galdrino.pal"
chmod 000 "$work/galdrino.pal"
config_with ARQPALAVRAS "$work/galdrino.pal" "$work/words.ini"
chmod 644 "$work/words.ini"
run timeout 60 "$headless" --config "$work/words.ini" --keys '' >"$work/game.txt" 2>&1
grep -q "arquivo de palavras" "$work/game.txt" || fail "an unreadable word list: $(cat "$work/game.txt")"
grep -q "^sound GDARNENC.wav" "$work/game.txt" || fail "an unreadable word list is not heard"
grep -qx "exit 1" "$work/game.txt" || fail "the game with an unreadable word list did not end with exit code 1"

finish permissions
