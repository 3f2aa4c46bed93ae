#!/usr/bin/env bash
# The SDL program when the sound server fails it: no server at all where
# PULSE_SERVER points, and a private PulseAudio daemon killed in the middle
# of a round. Either way the game goes on in silence, plays a short round
# to its end with exit code 0 (it never hangs: smoke.sh bounds the game in
# time) and says once why nothing is heard.
#
# Usage: pulse_faults.sh PROGRAM OUT_DIR
# Needs what smoke.sh needs (Xvfb, xdotool, ImageMagick) and pulseaudio with
# pactl; exits 77 (skipped) without them.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/arguments.sh"
take_arguments OUT_DIR "$@"
need_tools Xvfb xdotool convert pulseaudio pactl
. "$here/../lib/checks.sh" "$out"
. "$here/../../scripts/wait_for.sh"
. "$here/pulse.sh"
work=$(mktemp -d)
trap 'stop_sound_server; rm -rf "$work"' EXIT

play_silent_game no-server "No sound output, playing silently" SDL_AUDIODRIVER=pulseaudio \
    PULSE_SERVER="unix:$work/nothing-here/native"

# The server is killed (as a crash: no goodbye to its clients) once the
# round has started: smoke.sh types its first letter about 10 s in.
start_sound_server "$work/pulse"
(
    sleep "${KILL_AFTER:-14}"
    kill -KILL "$sound_server_pid"
) &
killer=$!
play_silent_game server-killed "Sound device lost, playing silently"
wait "$killer"
kill -0 "$sound_server_pid" 2>/dev/null && fail "server-killed: the server was not killed"
grep -q "Sound device cannot be opened" "$out/server-killed/galdrino.log" &&
    fail "server-killed: the device did not open while the server ran"

finish pulse_faults
