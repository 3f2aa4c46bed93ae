#!/usr/bin/env bash
# The desktop program as players use it, on a virtual display: a short game
# to its end (three letters, ESC to give up, N to the play-again question),
# typed with xdotool, with SDL's disk audio driver in place of a sound card.
#
# The game throws away keys typed while it speaks, so each key is typed when
# the game has gone quiet: the disk driver writes what the device plays to a
# file, silence while the game waits for a key. A key the game did not take
# (nothing sounds after it) is typed again. The program must end with exit
# code 0.
#
# Usage: game.sh PROGRAM OUT_DIR
# Needs Xvfb, xdotool and ImageMagick; exits 77 (skipped) without them.
set -u
. "$(dirname "$0")/arguments.sh"
take_arguments OUT_DIR "$@"
need_tools Xvfb xdotool import convert od
sound=$out/sound.raw
rm -f "$sound" "$out"/*.png

fail() {
    echo "FAIL: $*"
    import -window root "$out/failed.png" 2>/dev/null
    exit 1
}

. "$(dirname "$0")/display.sh"

sound_size() { stat -c %s "$sound" 2>/dev/null || echo 0; }

# The bytes of the sound file from offset FROM that are not silence (128 in
# unsigned 8-bit samples, 0 in signed 16-bit ones).
sounding_since() { # from
    tail -c +$(($1 + 1)) "$sound" 2>/dev/null | od -An -v -tu1 | tr -s ' ' '\n' |
        grep -cvxE '0|128|'
}

# Quiet: for two seconds the device has played silence only.
quiet() {
    local from
    from=$(sound_size)
    sleep 2
    [ "$(sound_size)" -gt "$from" ] && [ "$(sounding_since "$from")" -eq 0 ]
}

# Types KEY once the game is quiet, again when nothing sounds after it.
type_key() { # key
    local attempt from
    for attempt in 1 2 3; do
        game_running || fail "the program ended before the key $1"
        wait_for 90 quiet || fail "the game never went quiet before the key $1"
        from=$(sound_size)
        timeout 5 xdotool windowfocus --sync "$window" 2>/dev/null
        xdotool key "$1"
        sleep 1
        wait_for 10 sh -c "[ \$(tail -c +$((from + 1)) '$sound' | od -An -v -tu1 |
            tr -s ' ' '\n' | grep -cvxE '0|128|') -gt 0 ]" && return 0
    done
    fail "the game did not take the key $1"
}

start_display
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$sound start_program "$out/galdrino.log"
wait_window 20
xdotool windowfocus "$window"

for key in a e o Escape; do
    type_key "$key"
done
wait_for 90 quiet || fail "the game never asked whether to play again"
import -window root "$out/gave-up.png" 2>/dev/null || fail "no screenshot"
brightest=$(convert "$out/gave-up.png" -colorspace Gray -format '%[fx:maxima]' info:)
awk -v b="$brightest" 'BEGIN { exit !(b > 0.5) }' || fail "nothing is drawn on the screen"

ended() { ! game_running; }
for attempt in 1 2 3; do
    wait_for 90 quiet || ended || fail "the game did not go quiet at the play-again question"
    ended || timeout 5 xdotool windowfocus --sync "$window" 2>/dev/null
    ended || xdotool key n
    wait_for 10 ended && break
done
ended || fail "N did not end the program"
wait "$game_pid"
code=$?
game_pid=
[ "$code" -eq 0 ] || fail "exit code $code (see $out/galdrino.log)"

sounding=$(sounding_since 0)
echo "PASS: the game ended with exit code 0 ($sounding bytes of sound in $(sound_size))"
