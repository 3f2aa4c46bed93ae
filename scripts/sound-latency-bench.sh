#!/usr/bin/env bash
# How soon a player hears a key, through a real sound server and, in the
# same run, through SDL's dummy driver.
#
# 1. SDL's dummy driver and the private PulseAudio server, at the platform
#    calls (sdl-latency-bench): the device's period, a queued block to its
#    first sample handed to SDL, waveReset to the first silent callback.
# 2. The private PulseAudio server (null sink S, its own runtime directory
#    and socket), heard at the sink's monitor: a tone and a message cut as
#    a key cuts them, to the first silent sample (sdl-cut-bench); then
#    GAMES games of the desktop program on a virtual display, typed with
#    xdotool: key to the first audible sample for the first letter of each
#    game, for later letters, and for a letter typed right after the
#    game's question (a message: a new sound format) ended.
#
# Usage: scripts/sound-latency-bench.sh [BUILD_DIR [GAMES]]
#   BUILD_DIR defaults to build/release, else build/test; GAMES to 10.
# Needs Xvfb, xdotool, pulseaudio and parec. SOUND_SERVER=pipewire measures
# through PipeWire instead (tests/sdl/pulse.sh starts it).
set -u
cd "$(dirname "$0")/.."
build=${1:-}
if [ -z "$build" ]; then
    build=build/release
    [ -x "$build/bin/galdrino" ] || build=build/test
fi
games=${2:-10}
bin=$build/bin
. tests/sdl/pulse.sh
for tool in Xvfb xdotool $(sound_server_tools); do
    command -v "$tool" >/dev/null || {
        echo "$tool is missing: scripts/setup.sh $tool (pulseaudio-utils for parec)"
        exit 2
    }
done
for program in galdrino sdl-latency-bench sdl-cut-bench sound-onsets; do
    [ -x "$bin/$program" ] || {
        echo "no $bin/$program: build $build first"
        exit 2
    }
done

fail() {
    echo "FAILED: $*"
    [ -f "${program_log:-}" ] && tail -n 5 "$program_log"
    exit 1
}
program=$bin/galdrino
. tests/sdl/display.sh
trap 'stop_sound_server; stop_display' EXIT
export XDG_CONFIG_HOME=$display_work/no-user-config

# median, min, max (and count) of the numbers on the standard input.
summary() {
    sort -n | awk '{ v[NR] = $1 }
        END {
            if (NR == 0) { print "no measurement"; exit }
            m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
            printf "median %6.1f ms, min %6.1f, max %6.1f (n=%d)\n", m, v[1], v[NR], NR
        }'
}

ms_between() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f\n", (b - a) / 1e6 }'; }

server=${SOUND_SERVER:-pulseaudio}
echo "== 1. Platform calls (sdl-latency-bench) =="
for driver in dummy pulseaudio; do
    [ $driver = pulseaudio ] && start_sound_server "$display_work/pulse"
    echo "-- SDL_AUDIODRIVER=$driver$([ $driver = pulseaudio ] && echo " (server: $server)")"
    SDL_AUDIODRIVER=$driver "$bin/sdl-latency-bench" | sed -n '/^Sound start/,$p'
done
pactl list short sinks | awk '{ print "sink:", $2, $4, $5, $6 }'

echo
echo "== 2. Heard at the null sink's monitor ($server) =="
start_recorder "$bin/sound-onsets"
sleep 1 # the recorder's own stream settles first
cuts=$display_work/cuts
"$bin/sdl-cut-bench" 10 >"$cuts" || fail "sdl-cut-bench failed"
sleep 0.3
for kind in tone-cut wave-cut; do
    label="key during a tone -> silence"
    [ $kind = wave-cut ] && label="key during a message -> silence"
    grep "^$kind " "$cuts" | while read -r _ cut; do
        quiet=$(quiet_after "$cut")
        [ -n "$quiet" ] && ms_between "$cut" "$quiet"
    done | summary | sed "s/^/  $(printf '%-36s' "$label")/"
done

first=$display_work/first-letter
later=$display_work/later-letter
after=$display_work/after-message
: >"$first"
: >"$later"
: >"$after"
start_display

# Types KEY once the sink has been quiet for QUIET_MS; appends the delay to
# its first sound to FILE.
time_key() { # key quiet_ms file
    local typed heard
    wait_for 90 quiet_for "$2" || fail "the game never went quiet"
    timeout 5 xdotool windowfocus --sync "$window" 2>/dev/null
    typed=$(now_ns)
    xdotool key "$1"
    wait_for 5 sh -c "awk -v t=$typed '\$1 == \"sound\" && \$2 >= t { f = 1 } END { exit !f }' \
        '$sound_events'"
    heard=$(sound_after "$typed")
    [ -n "$heard" ] && ms_between "$typed" "$heard" >>"$3"
}

# The game pauses up to 3 s before it asks for a letter: a key is typed
# after 3.5 s of quiet. Its question is preceded by pauses of 1.2 s at most,
# so 1.3 s of quiet is the question's end.
for game in $(seq 1 "$games"); do
    start_program "$display_work/galdrino-$game.log"
    wait_window 20
    time_key a 3500 "$first"
    time_key e 3500 "$later"
    time_key i 1300 "$after"
    time_key o 3500 "$later"
    kill "$game_pid"
    wait "$game_pid" 2>/dev/null
    game_pid=
done
printf '  %-36s %s\n' "first letter of a game" "$(summary <"$first")"
printf '  %-36s %s\n' "later letters" "$(summary <"$later")"
printf '  %-36s %s\n' "letter right after a message" "$(summary <"$after")"
echo "  (key: just before xdotool runs; sound: the first sample above -40 dBFS,"
echo "   timed late rather than early by what the recorder held back)"
