# Sourced by the scripts that play the desktop program through a real sound
# server: a private PulseAudio daemon with a null sink S, its own runtime
# directory, home and socket (never the user's own server), and a recorder
# of the sink's monitor that tells when sound starts and stops. With
# SOUND_SERVER=pipewire the server is PipeWire instead (pipewire, its
# session manager wireplumber on a private D-Bus session bus, and
# pipewire-pulse serving the same clients), with the same null sink S.
#
#   start_sound_server DIR   starts the server under DIR; exports
#                            PULSE_SERVER and SDL_AUDIODRIVER for the clients
#   stop_sound_server        ends it (and the recorder)
#   sound_server_tools       the programs the chosen server needs
#   start_recorder ONSETS    records S.monitor through ONSETS (the
#                            sound-onsets program) into $sound_events
#   now_ns                   the wall clock in nanoseconds
#   sound_after T            the time of the first sound starting at or after
#                            T, or nothing
#   quiet_after T            the same for the first silence
#   quiet_for MS             whether the sink has been silent for MS
#                            milliseconds (and something was heard before)
# The caller defines fail and sources wait_for.sh (display.sh does) and
# must call stop_sound_server from its EXIT trap.

sound_rate=44100
sound_server_pid=
server_helper_pids=
recorder_pid=
onsets_pid=

now_ns() { date +%s%N; }

sound_server_ready() { pactl info >/dev/null 2>&1; }

sound_server_tools() {
    if [ "${SOUND_SERVER:-pulseaudio}" = pipewire ]; then
        echo dbus-daemon pipewire wireplumber pipewire-pulse pactl parec
    else
        echo pulseaudio pactl parec
    fi
}

start_sound_server() { # dir
    local dir=$1
    mkdir -p "$dir/run" "$dir/home" && chmod 700 "$dir/run"
    if [ "${SOUND_SERVER:-pulseaudio}" = pipewire ]; then
        start_pipewire "$dir"
    else
        XDG_RUNTIME_DIR=$dir/run HOME=$dir/home \
            pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
            -L "module-null-sink sink_name=S" \
            -L "module-native-protocol-unix socket=$dir/native auth-anonymous=1" \
            >"$dir/pulseaudio.log" 2>&1 &
        sound_server_pid=$!
        export PULSE_SERVER=unix:$dir/native
    fi
    export SDL_AUDIODRIVER=pulseaudio
    wait_for 10 sound_server_ready ||
        fail "the sound server did not start: $(tail -n 3 "$dir"/*.log)"
    [ "${SOUND_SERVER:-pulseaudio}" = pipewire ] || return 0
    pactl load-module module-null-sink sink_name=S >/dev/null &&
        pactl set-default-sink S || fail "PipeWire made no null sink"
}

# WirePlumber links the streams to the sink; it needs a session bus.
start_pipewire() { # dir
    local dir=$1
    dbus-daemon --session --nofork --print-address=3 3>"$dir/bus" 2>"$dir/dbus.log" &
    server_helper_pids=$!
    wait_for 10 test -s "$dir/bus" || fail "no D-Bus session bus"
    export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$dir/bus")
    export XDG_RUNTIME_DIR=$dir/run HOME=$dir/home
    pipewire >"$dir/pipewire.log" 2>&1 &
    sound_server_pid=$!
    wait_for 10 test -S "$dir/run/pipewire-0" || fail "PipeWire did not start"
    wireplumber >"$dir/wireplumber.log" 2>&1 &
    server_helper_pids="$! $server_helper_pids"
    pipewire-pulse >"$dir/pipewire-pulse.log" 2>&1 &
    server_helper_pids="$! $server_helper_pids"
    export PULSE_SERVER=unix:$dir/run/pulse/native
}

stop_sound_server() {
    local pid
    for pid in $recorder_pid $onsets_pid $server_helper_pids $sound_server_pid; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    recorder_pid=
    onsets_pid=
    server_helper_pids=
    sound_server_pid=
}

start_recorder() { # onsets_program
    sound_events=$display_work/sound-events
    : >"$sound_events"
    rm -f "$display_work/monitor"
    mkfifo "$display_work/monitor"
    "$1" $sound_rate <"$display_work/monitor" >"$sound_events" &
    onsets_pid=$!
    parec -d S.monitor --raw --format=s16le --channels=1 --rate=$sound_rate \
        --latency-msec=5 >"$display_work/monitor" 2>"$display_work/parec.log" &
    recorder_pid=$!
}

first_event_after() { # kind, time
    awk -v kind="$1" -v t="$2" '$1 == kind && $2 >= t { print $2; exit }' "$sound_events"
}
sound_after() { first_event_after sound "$1"; }
quiet_after() { first_event_after quiet "$1"; }

quiet_for() { # milliseconds
    local last
    last=$(tail -n 1 "$sound_events")
    [ "${last%% *}" = quiet ] || return 1
    [ $(($(now_ns) - ${last#* })) -ge $(($1 * 1000000)) ]
}
