#!/usr/bin/env bash
# Plays a short game on the desktop program under a virtual X display: waits
# for the window, types a few letters, gives up the round with ESC and
# answers N to "play again?". Passes when the program ends with exit code 0
# within the time limit and its window was drawn. Screenshots and the
# program's output are left in SHOT_DIR.
#
# Usage: smoke.sh PROGRAM SHOT_DIR
# Needs Xvfb, xdotool and ImageMagick. Sound goes to SDL's dummy driver
# unless SDL_AUDIODRIVER says otherwise. SMOKE_TIME_LIMIT (seconds, default
# 150) bounds the whole game; SMOKE_KEY_GAP (seconds, default 10) paces the
# keys.
set -u
. "$(dirname "$0")/arguments.sh"
take_arguments SHOT_DIR "$@"
shots=$out
limit=${SMOKE_TIME_LIMIT:-150}
gap=${SMOKE_KEY_GAP:-10}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

shot() {
    import -window root "$shots/$1.png" 2>/dev/null || echo "(no screenshot $1)" >&2
}

. "$(dirname "$0")/display.sh"

start_display
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
start=$SECONDS
start_program "$shots/galdrino.log"

wait_window 20
echo "window $window after $((SECONDS - start)) s"
xdotool windowfocus "$window"
sleep 3
shot 01-started
brightest=$(convert "$shots/01-started.png" -colorspace Gray -format '%[fx:maxima]' info:)
awk -v b="$brightest" 'BEGIN { exit !(b > 0.5) }' || fail "nothing is drawn on the screen"

# The game throws away keys typed while it presents the word and takes them
# once it asks for a letter, so keys are paced: one every $gap seconds gives
# the game time to answer the last one and present the word again.
sleep $((gap - 3))
for key in a e o; do
    xdotool key "$key"
    sleep "$gap"
done
shot 02-letters

# ESC gives up the round; the game spells the word and asks whether to play
# again; N ends the program. Should the game be slower than the pacing
# expects, the pair is sent again.
first=1
while game_running; do
    [ $((SECONDS - start)) -ge "$limit" ] && {
        shot 99-timeout
        fail "the program did not end within $limit s"
    }
    xdotool key Escape
    sleep $((gap / 2))
    [ $first -eq 1 ] && shot 03-gave-up
    first=0
    sleep $((gap - gap / 2 + 2))
    game_running && xdotool key n
    wait_for "$gap" sh -c "! kill -0 $game_pid 2>/dev/null"
done

wait "$game_pid"
code=$?
game_pid=
[ $code -eq 0 ] || fail "exit code $code (see $shots/galdrino.log)"
echo "PASS: the game ended with exit code 0 after $((SECONDS - start)) s; screenshots in $shots"
