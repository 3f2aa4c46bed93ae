#!/usr/bin/env bash
# A speech-dispatcher that stops answering or ends, against a private
# instance of this script's own (scripts/private-speechd.sh), which sounds
# in real time into a private PulseAudio's null sink so that a word is still
# sounding when the server is stopped or killed; both are stopped on every
# way out. No call waits for the server longer than its deadline, the
# current text ends, and the game's own voice reads the words it can no
# longer say.
# Usage: speech_server_faults.sh PROGRAM DATA_ROOT
set -u
program=$1
work=$(mktemp -d)
# shellcheck source=../../scripts/private-speechd.sh
source "$(dirname "$0")/../../scripts/private-speechd.sh"
trap '[ -n "$speechd_pid" ] && kill -CONT "$speechd_pid" 2>/dev/null; private_speechd_stop; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM
. "$(dirname "$0")/../lib/checks.sh" "$work"

lost_notice="Speech server lost"

start_server() {
  private_speechd_start "$work/server" clocked || {
    echo "FAIL: no private speech-dispatcher"
    exit 1
  }
  log=$speechd_log
}

# Waits up to 20 s for `text` in `file`.
wait_for_text() {
  for _ in $(seq 200); do
    grep -qF "$2" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }

line_of() { # file, fixed line -> its first number, or 0
  local n
  n=$(grep -nxF -- "$2" "$1" | head -1 | cut -d: -f1)
  echo "${n:-0}"
}

# A word the server takes a few seconds to say; its letters win a round.
printf 'CASA\r\n' >"$work/casa.pal"
long=PARALELEPIPEDOPARALELEPIPEDOPARALELEPIP
printf '%s\r\n' "$long" >"$work/long.pal"
win_long=parleido

config() { # kind, word list -> file
  local file
  file=$work/kind$1-$(basename "$2" .pal).ini
  printf '[GALDRINO]\r\nARQPALAVRAS=%s\r\n[TRADUTOR]\r\nSAPI=S\r\n[SINTETIZADOR]\r\nDIFONES3=ZEBVOZ\r\n[SERVFALA]\r\nTIPOSAPI=%s\r\nVOZ=1\r\n' \
    "$2" "$1" >"$file"
  echo "$file"
}

# play NAME KIND LIST KEYS: a whole game in the background; its transcript
# is $work/NAME.txt and its error output $work/NAME.err.
play() {
  timeout 90 "$program" --config "$(config "$2" "$3")" --seed 1234 --keys "$4" \
    >"$work/$1.txt" 2>"$work/$1.err" &
  game=$!
}
ended_normally() { # name, exit code
  [ "$2" -eq 0 ] || fail "$1 exited with $2"
  grep -qF "text Tchau, até a próxima...\\n" "$work/$1.txt" || fail "$1 did not end normally"
}

start_server

# ---- a server stopped before the game: the start fails in time -------------
started=$(now_ms)
play normal 5 "$work/casa.pal" ascn
wait "$game"
ended_normally normal $?
normal_ms=$(($(now_ms) - started))
grep -q "^engine speak CASA" "$work/normal.txt" || fail "a running server did not speak the word"

kill -STOP "$speechd_pid"
for kind in 5 54 4; do
  started=$(now_ms)
  play "stopped$kind" "$kind" "$work/casa.pal" ascn
  wait "$game"
  ended_normally "stopped$kind" $?
  took=$(($(now_ms) - started))
  echo "kind $kind: a game took $normal_ms ms with a running server, $took ms with a stopped one"
  [ "$took" -le $((normal_ms + 5000)) ] ||
    fail "kind $kind: a stopped server made the game $((took - normal_ms)) ms longer"
  t=$work/stopped$kind.txt
  grep -q "^sound image" "$t" || fail "kind $kind: with a stopped server the own voice did not speak"
  grep -q "^engine" "$t" && fail "kind $kind: a stopped server was taken as started"
  grep -qF "$lost_notice" "$work/stopped$kind.err" && fail "kind $kind: a failed start was told as a loss"
done
kill -CONT "$speechd_pid"

# Each game from here on has a server of its own: a server that was stopped
# or lost its client still sounds what that client queued.
restart_server() {
  private_speechd_stop
  start_server
}

# ---- stopped in the middle of a word, continued later ------------------------
# The word ends when the server does not answer; once it answers again the
# next word is tried on it once more, and it speaks that one.
restart_server
from=$(($(wc -l <"$log") + 1))
play resumed 5 "$work/long.pal" "${win_long}s${win_long}n"
if private_speechd_wait_for_sound "$from"; then
  kill -STOP "$speechd_pid"
  stopped_at=$(now_ms)
  wait_for_text "$work/resumed.err" "$lost_notice" || fail "a stopped server was never told as lost"
  noticed=$(($(now_ms) - stopped_at))
  echo "a server stopped mid-word was given up after $noticed ms"
  [ "$noticed" -le 4000 ] || fail "a stopped server was given up only after $noticed ms"
  kill -CONT "$speechd_pid"
else
  fail "the server never sounded the long word"
fi
wait "$game"
ended_normally resumed $?
t=$work/resumed.txt
lost=$(line_of "$t" "engine server lost")
back=$(line_of "$t" "engine server back")
[ "$lost" -gt 0 ] || fail "the stopped server's word did not end"
[ "$back" -gt "$lost" ] || fail "the continued server was not tried again at the next word"
awk -v from="$back" 'NR > from && $0 == "engine end" { found = 1 } END { exit !found }' "$t" ||
  fail "the continued server did not speak the next word"
grep -q "^sound image" "$t" && fail "the own voice spoke although the server came back"
[ "$(grep -cF "$lost_notice" "$work/resumed.err")" -eq 1 ] || fail "the loss was not told exactly once"

# ---- stopped in the middle of a word and not continued during the game -------
restart_server
from=$(($(wc -l <"$log") + 1))
started=$(now_ms)
play frozen 5 "$work/long.pal" "${win_long}s${win_long}s${win_long}n"
if private_speechd_wait_for_sound "$from"; then
  kill -STOP "$speechd_pid"
else
  fail "the server never sounded the long word"
fi
wait "$game"
ended_normally frozen $?
echo "a game of three words whose server stopped in the first took $(($(now_ms) - started)) ms"
kill -CONT "$speechd_pid"
t=$work/frozen.txt
lost=$(line_of "$t" "engine server lost")
[ "$lost" -gt 0 ] || fail "the frozen server's word did not end"
grep -q "^engine server back" "$t" && fail "a stopped server was taken as back"
[ "$(awk -v from="$lost" 'NR > from && /^sound image/' "$t" | wc -l)" -eq 2 ] ||
  fail "the own voice did not read the words after the stop"

# ---- killed in the middle of the game: the own voice reads the next words ----
for kind in 5 4; do
  restart_server
  from=$(($(wc -l <"$log") + 1))
  play "killed$kind" "$kind" "$work/long.pal" "${win_long}s${win_long}s${win_long}n"
  if private_speechd_wait_for_sound "$from"; then
    { kill -9 "$speechd_pid"; wait "$speechd_pid"; } 2>/dev/null
    speechd_pid=
  else
    fail "kind $kind: the server never sounded the long word"
  fi
  wait "$game"
  ended_normally "killed$kind" $?
  t=$work/killed$kind.txt
  lost=$(line_of "$t" "engine server lost")
  [ "$lost" -gt 0 ] || fail "kind $kind: the killed server was not noticed"
  awk -v from="$lost" 'NR > from && /^engine speak/ { exit 1 }' "$t" ||
    fail "kind $kind: a word went to the killed server"
  [ "$(awk -v from="$lost" 'NR > from && /^sound image/' "$t" | wc -l)" -eq 2 ] ||
    fail "kind $kind: the own voice did not read the two words after the kill"
  grep -q "^beep" "$t" && fail "kind $kind: a word was a beep"
  [ "$(grep -cF "$lost_notice" "$work/killed$kind.err")" -eq 1 ] ||
    fail "kind $kind: the loss was not told exactly once"
done

# ---- a server whose sound output is gone never ends the word ----------------
# It answers every call; the word is given up once it has had the time it
# could take, and the next word goes to the own voice.
restart_server
{ kill -9 "$pulse_pid"; wait "$pulse_pid"; } 2>/dev/null
pulse_pid=
started=$(now_ms)
play mute 5 "$work/casa.pal" ascn
wait "$game"
ended_normally mute $?
took=$(($(now_ms) - started))
echo "a game whose server cannot sound took $took ms"
[ "$took" -le $((normal_ms + 15000)) ] || fail "a server that cannot sound held the game $took ms"
grep -q "^engine server lost" "$work/mute.txt" || fail "the unspoken word did not end"

finish speech_server_faults
