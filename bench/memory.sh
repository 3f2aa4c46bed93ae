#!/usr/bin/env bash
# Peak memory of long speech: a 10 MB text spoken by zebfala with the native
# voice and with the built-in engine (written as a WAV file to /dev/null),
# and a one-hour WAV file through the wave player (wave-player-bench).
#
#   bench/memory.sh [BUILD_DIR] [SECONDS]    (build/test, 60)
#
# Speaking 10 MB takes days, so each zebfala runs for SECONDS and is then
# stopped: the figures printed every few seconds show whether its peak
# memory (VmHWM) still grows while it speaks, and how much sound it has
# written. A bounded program levels off once it has read the text.
set -euo pipefail
build=${1:-build/test}
seconds=${2:-60}
zebfala=$build/bin/zebfala
words=$build/share/galdrino/talvek/som/quibo2/galdrino.pal
for f in "$zebfala" "$words" "$build/bin/wave-player-bench"; do
  [ -e "$f" ] || { echo "memory.sh: $f is missing: build $build first" >&2; exit 2; }
done
work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT

# Sentences of eight words of the game's list, 10 MB of them.
tr -d '\r' <"$words" | awk -v bytes=10485760 '
  { w[n++] = tolower($0) }
  END {
    srand(1); marks[0] = ". "; marks[1] = ", "; marks[2] = "? "; marks[3] = "! "
    while (total < bytes) {
      s = ""
      for (i = 0; i < 8; i++) s = s (i ? " " : "") w[int(rand() * n)]
      s = toupper(substr(s, 1, 1)) substr(s, 2) marks[int(rand() * 4)]
      printf "%s", s; total += length(s)
    }
  }' >"$work/text.txt"
echo "text: $(wc -c <"$work/text.txt") bytes, $(wc -w <"$work/text.txt") words"

field() { # pid, file, key -> the number after the key
  awk -v k="$3" '$1 == k || $1 == k":" { print $2; exit }' "/proc/$1/$2" 2>/dev/null
}

for engine in native quelo; do
  # The native voice's file is 22050 Hz, the engine's own 16000 Hz, 16-bit.
  args=()
  bytes_per_second=44100
  if [ "$engine" = quelo ]; then
    args=(--engine quelo)
    bytes_per_second=32000
  fi
  "$zebfala" "${args[@]}" -w /dev/null - <"$work/text.txt" &
  pid=$!
  echo "$engine voice, zebfala -w /dev/null (stopped after $seconds s):"
  printf '  %6s %14s %12s %14s\n' seconds "peak RSS KiB" "RSS KiB" "sound written"
  for ((t = 1; t <= seconds; t++)); do
    sleep 1
    kill -0 "$pid" 2>/dev/null || break
    if ((t <= 5 || t % 10 == 0 || t == seconds)); then
      hwm=$(field "$pid" status VmHWM)
      rss=$(field "$pid" status VmRSS)
      written=$(field "$pid" io wchar)
      printf '  %6d %14s %12s %12d s\n' "$t" "$hwm" "$rss" $((${written:-0} / bytes_per_second))
    fi
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=
done

echo "wave player:"
"$build/bin/wave-player-bench"
