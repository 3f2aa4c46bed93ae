# Sourced by the scripts that need a speech-dispatcher of their own: a
# private instance with its own configuration directory and socket, the
# espeak-ng module and ALSA's null device, never the user's own instance.
#
#   private_speechd_start DIR [clocked]
#                               starts it under DIR and exports SPEECHD_ADDRESS;
#                               sets speechd_pid and speechd_log (its log).
#                               ALSA's null device takes a text's sound at
#                               once; with "clocked" the sound goes to the
#                               null sink of a private PulseAudio, which
#                               plays it in real time (sets pulse_pid)
#   private_speechd_wait_for_sound FROM
#                               waits up to 20 s for sound sent to the audio
#                               output after line FROM of its log
#   private_speechd_stop        stops it (SIGTERM, then SIGKILL after 5 s),
#                               and its PulseAudio
#
# Callers stop it on every way out: trap 'private_speechd_stop' EXIT.

speechd_pid=
speechd_log=
pulse_pid=

# A private PulseAudio with only a null sink, its socket DIR/pulse.sock.
private_pulse_start() {
  local dir=$1
  command -v pulseaudio >/dev/null || {
    echo "pulseaudio is not installed (scripts/setup.sh installs it)" >&2
    return 1
  }
  mkdir -p "$dir/pulse"
  rm -f "$dir/pulse.sock"
  HOME=$dir/pulse PULSE_RUNTIME_PATH=$dir/pulse PULSE_STATE_PATH=$dir/pulse \
    pulseaudio -n --daemonize=no --exit-idle-time=60 --disable-shm=yes --use-pid-file=no \
    -L "module-native-protocol-unix socket=$dir/pulse.sock auth-anonymous=1" \
    -L "module-null-sink sink_name=quiet" >"$dir/pulse.log" 2>&1 &
  # --exit-idle-time: one left behind by a killed run ends on its own.
  pulse_pid=$!
  for _ in $(seq 100); do
    [ -S "$dir/pulse.sock" ] && return 0
    sleep 0.1
  done
  echo "the private PulseAudio did not start" >&2
  return 1
}

private_speechd_start() {
  local dir=$1 output pulse_server=
  command -v speech-dispatcher >/dev/null || {
    echo "speech-dispatcher is not installed (scripts/setup.sh installs it)" >&2
    return 1
  }
  mkdir -p "$dir/conf/modules" "$dir/logs"
  cp /etc/speech-dispatcher/modules/espeak-ng.conf "$dir/conf/modules/"
  output='AudioOutputMethod "alsa"
AudioALSADevice "null"'
  if [ "${2:-}" = clocked ]; then
    private_pulse_start "$dir" || {
      private_speechd_stop
      return 1
    }
    output='AudioOutputMethod "pulse"'
    pulse_server=unix:$dir/pulse.sock
  fi
  cat >"$dir/conf/speechd.conf" <<CONF
$output
AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"
DefaultModule espeak-ng
CONF
  local socket=$dir/speechd.sock
  rm -f "$socket"
  export SPEECHD_ADDRESS=unix_socket:$socket
  speechd_log=$dir/logs/speech-dispatcher.log
  # -t 30: an instance left behind by a killed run ends on its own.
  PULSE_SERVER=$pulse_server speech-dispatcher -s -t 30 -l 4 -L "$dir/logs" -C "$dir/conf" -S "$socket" \
    -P "$dir/speechd.pid" >"$dir/speechd.out" 2>&1 &
  speechd_pid=$!
  for _ in $(seq 100); do
    [ -S "$socket" ] && return 0
    sleep 0.1
  done
  echo "the private speech-dispatcher did not start" >&2
  private_speechd_stop
  return 1
}

# Ends the process `pid`: SIGTERM, then SIGKILL after 5 s.
private_end() {
  kill "$1" 2>/dev/null
  for _ in $(seq 50); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.1
  done
  { kill -9 "$1"; wait "$1"; } 2>/dev/null
}

# Waits up to 20 s for the server to hand sound to its audio output after
# line FROM of its log.
private_speechd_wait_for_sound() { # from
  for _ in $(seq 200); do
    tail -n +"$1" "$speechd_log" 2>/dev/null | grep -q "Sent to audio" && return 0
    sleep 0.1
  done
  return 1
}

private_speechd_stop() {
  [ -n "$speechd_pid" ] && private_end "$speechd_pid"
  [ -n "$pulse_pid" ] && private_end "$pulse_pid"
  speechd_pid=
  pulse_pid=
  return 0
}
