# Sourced by the scripts that need a speech-dispatcher of their own: a
# private instance with its own configuration directory and socket, the
# espeak-ng module and ALSA's null device, never the user's own instance.
#
#   private_speechd_start DIR   starts it under DIR and exports SPEECHD_ADDRESS;
#                               sets speechd_pid and speechd_log (its log)
#   private_speechd_stop        stops it (SIGTERM, then SIGKILL after 5 s)
#
# Callers stop it on every way out: trap 'private_speechd_stop' EXIT.

speechd_pid=
speechd_log=

private_speechd_start() {
  local dir=$1
  command -v speech-dispatcher >/dev/null || {
    echo "speech-dispatcher is not installed (scripts/setup.sh installs it)" >&2
    return 1
  }
  mkdir -p "$dir/conf/modules" "$dir/logs"
  cp /etc/speech-dispatcher/modules/espeak-ng.conf "$dir/conf/modules/"
  cat >"$dir/conf/speechd.conf" <<'CONF'
AudioOutputMethod "alsa"
AudioALSADevice "null"
AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"
DefaultModule espeak-ng
CONF
  local socket=$dir/speechd.sock
  rm -f "$socket"
  export SPEECHD_ADDRESS=unix_socket:$socket
  speechd_log=$dir/logs/speech-dispatcher.log
  # -t 30: an instance left behind by a killed run ends on its own.
  speech-dispatcher -s -t 30 -l 4 -L "$dir/logs" -C "$dir/conf" -S "$socket" \
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

private_speechd_stop() {
  [ -n "$speechd_pid" ] || return 0
  kill "$speechd_pid" 2>/dev/null
  for _ in $(seq 50); do
    kill -0 "$speechd_pid" 2>/dev/null || break
    sleep 0.1
  done
  { kill -9 "$speechd_pid"; wait "$speechd_pid"; } 2>/dev/null
  speechd_pid=
}
