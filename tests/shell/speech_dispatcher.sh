#!/usr/bin/env bash
# The SAPI server kinds against a real speech-dispatcher: a private instance
# of this script's own (configuration directory, socket, the espeak-ng
# module, ALSA's null device), started here and stopped on every way out.
# Usage: speech_dispatcher.sh PROGRAM DATA_ROOT (zebfala lies beside PROGRAM)
set -u
program=$1
root=$2
zebfala=$(dirname "$1")/zebfala
work=$(mktemp -d)
# shellcheck source=../../scripts/private-speechd.sh
source "$(dirname "$0")/../../scripts/private-speechd.sh"
trap 'private_speechd_stop; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM
. "$(dirname "$0")/../lib/checks.sh" "$work"

start_server() {
  private_speechd_start "$work/server" || {
    echo "FAIL: no private speech-dispatcher"
    exit 1
  }
  server_pid=$speechd_pid
  log=$speechd_log
}
stop_server() {
  private_speechd_stop
}

zebfala() {
  ZEBUNA_ROOT="$root" timeout 60 "$zebfala" "$@"
}

line_of() { # file, fixed line -> its number, or 0
  local n
  n=$(grep -nxF -- "$2" "$1" | head -1 | cut -d: -f1)
  echo "${n:-0}"
}

start_server

# ---- the numbered voices --------------------------------------------------
zebfala --voices >"$work/voices.txt" || fail "--voices exited with $?"
head -1 "$work/voices.txt" | grep -qP '^1\t[^\t]+\tpt-BR$' ||
  fail "voice 1 is not Brazilian: $(head -1 "$work/voices.txt")"
brazilian=$(grep -cP '\tpt-BR$' "$work/voices.txt")
[ "$brazilian" -ge 1 ] || fail "no Brazilian voice listed"
first_other=$(grep -nvP '\tpt(-BR)?$' "$work/voices.txt" | head -1 | cut -d: -f1)
last_portuguese=$(grep -nP '\tpt(-BR)?$' "$work/voices.txt" | tail -1 | cut -d: -f1)
[ -n "$first_other" ] && [ "$last_portuguese" -lt "$first_other" ] ||
  fail "the Portuguese voices do not come first"
awk -F'\t' '$1 != NR { exit 1 }' "$work/voices.txt" || fail "the voices are not numbered 1, 2, 3..."
zebfala --engine sapi4 --voices >"$work/modes.txt" || fail "--engine sapi4 --voices exited with $?"
cmp -s "$work/voices.txt" "$work/modes.txt" || fail "SAPI 4 modes and SAPI 5 voices differ"

# ---- a game hands the round's word to the server --------------------------
printf 'CASA\r\n' >"$work/casa.pal"
config() { # kind
  printf '[GALDRINO]\r\nARQPALAVRAS=%s\r\n[TRADUTOR]\r\nSAPI=S\r\n[SINTETIZADOR]\r\nDIFONES3=ZEBVOZ\r\n[SERVFALA]\r\nTIPOSAPI=%s\r\nVOZ=1\r\n' \
    "$work/casa.pal" "$1" >"$work/kind$1.ini"
  echo "$work/kind$1.ini"
}
play() { # name, kind, keys -> transcript file
  local out="$work/$1.txt"
  timeout 60 "$program" --config "$(config "$2")" --seed 1234 --keys "$3" >"$out"
  local code=$?
  [ "$code" -eq 0 ] || fail "$1 exited with $code"
  echo "$out"
}
for kind in 5 54 4; do
  t=$(play "game$kind" "$kind" "ascn")
  spoken=$(line_of "$t" "engine speak CASA")
  ended=$(line_of "$t" "engine end")
  [ "$spoken" -gt 0 ] || fail "kind $kind: the word was not handed to the server"
  [ "$ended" -gt "$spoken" ] || fail "kind $kind: the server did not report the end of the word"
  next_sound=$(awk -v from="$spoken" 'NR > from && /^sound / { print NR; exit }' "$t")
  [ -n "$next_sound" ] && [ "$next_sound" -gt "$ended" ] ||
    fail "kind $kind: the next recording did not wait for the end of the word"
  grep -q "^sound image" "$t" && fail "kind $kind: the native voice spoke the word"
  grep -qF "text Tchau, até a próxima...\\n" "$t" || fail "kind $kind: the game did not end"
done

# ---- a key cuts the server at once ----------------------------------------
long=$(for _ in $(seq 200); do printf 'Uma frase comprida, para o servidor falar. '; done)
for engine in sapi5 sapi4; do
  zebfala --engine "$engine" --keys "{SPEAKING}x" --transcript "$long" >"$work/cut.txt" ||
    fail "$engine: a cut text exited with $?"
  grep -q "^engine begin" "$work/cut.txt" || fail "$engine: the long text never began"
  grep -q "^engine end" "$work/cut.txt" && fail "$engine: the key did not cut the text"
done

# ---- the transcript shows the text as given, in UTF-8 once -------------------
for engine in sapi5 sapi4; do
  zebfala --engine "$engine" --transcript "A maçã" >"$work/accents.txt" ||
    fail "$engine: an accented text exited with $?"
  grep -qx "engine speak A maçã" "$work/accents.txt" ||
    fail "$engine: the transcript shows $(grep '^engine speak' "$work/accents.txt")"
done

# ---- bad input: every one ends with the server's reaction or a message -----
zebfala --engine sapi5 --voz 99999 --velocidade -20 --transcript "casa" >"$work/bad.txt" ||
  fail "VOZ out of range and VELOCIDADE -20 exited with $?"
grep -q "^engine end" "$work/bad.txt" || fail "VOZ out of range did not speak with voice 1"
zebfala --engine sapi4 --voz -1 casa 2>"$work/negative.err" && fail "a negative SAPI 4 VOZ started"
grep -q "could not start" "$work/negative.err" || fail "a negative VOZ gave no message"
zebfala --engine sapi5 --transcript "" >"$work/empty.txt" || fail "an empty text exited with $?"
big=$(head -c 70000 /dev/zero | tr '\0' 'a')
zebfala --engine sapi4 --keys "{SPEAKING}x" --transcript "$big" >"$work/big.txt" ||
  fail "a 70000-byte text exited with $?"
grep -q "^engine begin" "$work/big.txt" || fail "a 70000-byte text was not spoken"

# ---- a server killed while it speaks ----------------------------------------
from=$(($(wc -l <"$log") + 1))
zebfala --engine sapi5 --transcript "$long$long" >"$work/killed.txt" &
speaker=$!
if private_speechd_wait_for_sound "$from"; then
  { kill -9 "$server_pid"; wait "$server_pid"; } 2>/dev/null
  speechd_pid=
  wait "$speaker" || fail "a killed server made zebfala exit with $?"
  grep -q "^engine server lost" "$work/killed.txt" || fail "the lost server was not noticed"
else
  fail "the server never sounded the long text"
  wait "$speaker"
fi
stop_server

# ---- no server: the start fails and the native voice speaks ----------------
zebfala --engine sapi5 casa 2>"$work/none.err" && fail "zebfala started without a server"
grep -q "could not start" "$work/none.err" || fail "no message without a server"
t=$(play nonegame 5 "ascn")
grep -q "^sound image" "$t" || fail "without a server the native voice did not speak"
grep -q "^engine" "$t" && fail "without a server something reached an engine"

# A game whose server is killed as soon as it sounds the word goes on to
# its end (when the kill comes after the word, it ends all the same).
start_server
from=$(($(wc -l <"$log") + 1))
timeout 60 "$program" --config "$(config 5)" --seed 1234 --keys "ascn" >"$work/gone.txt" &
game=$!
private_speechd_wait_for_sound "$from" && { kill -9 "$server_pid"; wait "$server_pid"; } 2>/dev/null
speechd_pid=
wait "$game" || fail "the game whose server was killed exited with $?"
grep -qF "text Tchau, até a próxima...\\n" "$work/gone.txt" ||
  fail "the game whose server was killed did not end normally"
stop_server

finish speech_dispatcher
