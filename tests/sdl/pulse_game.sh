#!/usr/bin/env bash
# The desktop program through a real sound server: a private PulseAudio
# daemon with a null sink, the game on a virtual display typed with xdotool,
# and the sink's monitor recorded. A short game (three letters, ESC to give
# up, N to the play-again question) where every key must be heard within
# KEY_BOUND_MS (default 250) of being typed, the first letter of the game
# included, and the program must end with exit code 0.
#
# A key is typed once the game has been quiet for 3.5 seconds: longer than
# any pause the game makes before it waits for a key (it throws away keys
# typed while it speaks or pauses), so that what sounds next is the key's
# answer. A key after which nothing at all sounds was not taken and is
# typed again.
#
# Usage: pulse_game.sh PROGRAM OUT_DIR
# Needs Xvfb, xdotool, pulseaudio and parec (pulseaudio-utils), and the
# sound-onsets program beside PROGRAM (or named by SOUND_ONSETS); exits 77
# (skipped) without them. SOUND_SERVER=pipewire plays through PipeWire
# instead (pipewire, wireplumber, pipewire-pulse, dbus-daemon).
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/arguments.sh"
take_arguments OUT_DIR "$@"
. "$here/pulse.sh"
# shellcheck disable=SC2046 # one word per tool
need_tools Xvfb xdotool $(sound_server_tools)
onsets=${SOUND_ONSETS:-$(dirname "$program")/sound-onsets}
[ -x "$onsets" ] || {
    echo "SKIP: no sound-onsets program at $onsets"
    exit 77
}
bound_ms=${KEY_BOUND_MS:-250}
. "$here/../lib/checks.sh" "$out"
abort() {
    fail "$@"
    finish pulse_game
}

. "$here/display.sh"
trap 'stop_sound_server; stop_display' EXIT

start_sound_server "$display_work/pulse"
start_recorder "$onsets"
start_display
start_program "$out/galdrino.log"
wait_window 20
[ -n "$window" ] || abort "the game showed no window"

ms_between() { echo $((($2 - $1) / 1000000)); }
heard_after() { [ -n "$(sound_after "$1")" ]; }

# Types KEY once the game is quiet and checks when it is heard.
type_and_time() { # key
    local attempt typed heard
    for attempt in 1 2 3; do
        game_running || abort "the program ended before the key $1"
        wait_for 90 quiet_for 3500 || abort "the game never went quiet before the key $1"
        timeout 5 xdotool windowfocus --sync "$window" 2>/dev/null
        typed=$(now_ns)
        xdotool key "$1"
        wait_for 3 heard_after "$typed"
        heard=$(sound_after "$typed")
        if [ -n "$heard" ]; then
            echo "key $1: heard after $(ms_between "$typed" "$heard") ms"
            [ "$(ms_between "$typed" "$heard")" -le "$bound_ms" ] ||
                fail "key $1 heard only after $(ms_between "$typed" "$heard") ms (bound $bound_ms)"
            return 0
        fi
    done
    fail "the game did not take the key $1 (nothing sounded after it)"
}

for key in a e o Escape; do
    type_and_time "$key"
done

ended() { ! game_running; }
for attempt in 1 2 3; do
    wait_for 90 quiet_for 3500 || ended || abort "the game did not go quiet at the play-again question"
    ended || timeout 5 xdotool windowfocus --sync "$window" 2>/dev/null
    ended || xdotool key n
    wait_for 10 ended && break
done
ended || abort "N did not end the program"
wait "$game_pid"
code=$?
game_pid=
[ "$code" -eq 0 ] || fail "exit code $code (see $out/galdrino.log)"
finish pulse_game
