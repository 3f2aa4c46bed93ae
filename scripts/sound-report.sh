#!/usr/bin/env bash
# Measures every sound a game plays, from a build tree's data, and prints one
# table: per group the lowest, median and highest loudness (LUFS), the
# highest true peak (dBTP), the longest silence before and after the sound
# (ms), the clipped samples, and the sounds out of their group's range.
#
#   scripts/sound-report.sh [--check] [BUILD_DIR]     (default build/test)
#
# Groups: the messages, the three effects, the letters, the signs and keys,
# the number words (recordings of the data tree), and 20 words of the word
# list read by the native voice and by the built-in engine (zebfala -w). The
# recordings must lie within 1.5 LU of the speech level, the effects in
# their band below it, the words read by the native voice within 1.5 LU of
# the messages' median, those read by the engine (whose synthesizer levels
# every utterance) within 0.5 LU of the speech level, the engine within 1 LU
# of the native voice (median over the words), and nothing may clip or pass
# the true-peak ceiling. With
# --check every miss is a failure (exit status 1); the levels come from
# `soundmeter --targets`, the tools' own.
set -u
check=0
if [ "${1:-}" = --check ]; then
  check=1
  shift
fi
build=${1:-build/test}
root=$build/share/galdrino
meter=$build/bin/soundmeter
zebfala=$build/bin/zebfala
for program in "$meter" "$zebfala"; do
  [ -x "$program" ] || { echo "sound-report: $program is missing (build the tree first)" >&2; exit 2; }
done
[ -d "$root/talvek" ] || { echo "sound-report: no data tree in $root" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/../tests/lib/checks.sh" "$work"
eval "$("$meter" --targets)"
tolerance=1.5
engine_tolerance=1.0
levelled_tolerance=0.5 # the engine's synthesizer levels every utterance itself
words=20

sounds=$root/talvek/som
# Measures files into group file $work/<group>.tsv.
measure() { # group, files...
  local group=$1
  shift
  "$meter" "$@" >"$work/$group.tsv" || fail "$group: soundmeter could not read every file"
}

effects=(GDPLIM GDTCHEN GDREQIEN)
messages=()
for file in "$sounds"/quibo2/GD*.wav; do
  key=$(basename "$file" .wav)
  [[ " ${effects[*]} " == *" $key "* ]] || messages+=("$file")
done
measure messages "${messages[@]}"
effect_files=()
for key in "${effects[@]}"; do effect_files+=("$sounds/quibo2/$key.wav"); done
measure effects "${effect_files[@]}"

letters=() signs=() numbers=()
for file in "$sounds"/letras/_*.wav; do
  name=$(basename "$file" .wav)
  code=${name#_}
  if [[ ! "$code" =~ ^[0-9]+$ ]]; then
    numbers+=("$file")
  elif ((code >= 65 && code <= 90 || code >= 97 && code <= 122)); then
    letters+=("$file")
  else
    signs+=("$file")
  fi
done
measure letters "${letters[@]}"
measure signs "${signs[@]}"
measure numbers "${numbers[@]}"

# Words spread evenly over the word list, lower case as a text would hold them.
word_list=$sounds/quibo2/galdrino.pal
total=$(grep -c '[A-Z]' "$word_list")
tr -d '\r' <"$word_list" | grep '[A-Z]' |
  awk -v total="$total" -v n="$words" 'NR == 1 + int((c * total) / n) { print tolower($0); c++ }' \
    >"$work/words.txt"
native=() engine=()
while IFS= read -r word; do
  ZEBUNA_ROOT="$root" "$zebfala" -w "$work/native-$word.wav" "$word" ||
    fail "zebfala could not read '$word' with the native voice"
  ZEBUNA_ROOT="$root" "$zebfala" --engine quelo -w "$work/engine-$word.wav" "$word" ||
    fail "zebfala could not read '$word' with the built-in engine"
  native+=("$work/native-$word.wav")
  engine+=("$work/engine-$word.wav")
done <"$work/words.txt"
measure native "${native[@]}"
measure engine "${engine[@]}"

median_of() { # group -> the median loudness
  cut -f2 "$work/$1.tsv" | grep -v '^-$' | sort -g |
    awk '{ v[NR] = $1 } END { if (NR == 0) print "nan"; else if (NR % 2) print v[(NR + 1) / 2];
                              else printf "%.6f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
message_median=$(median_of messages)

# One row of the table; the sounds outside low..high and every clipping or
# over-peak sound are listed, and failed with --check.
row() { # group, low, high, peak ceiling
  awk -F'\t' -v group="$1" -v low="$2" -v high="$3" -v ceiling="$4" -v med="$(median_of "$1")" '
    function name(path) { sub(/.*\//, "", path); sub(/\.wav$/, "", path); sub(/^(native|engine)-/, "", path); return path }
    {
      n++; level = $2
      if (level == "-") { out = out " " name($1) "=silent"; next }
      m++
      if (m == 1 || level < lo) lo = level
      if (m == 1 || level > hi) hi = level
      if ($3 > peak || n == 1) peak = $3
      if ($5 > lead || n == 1) lead = $5
      if ($6 > trail || n == 1) trail = $6
      clipped += $8
      if (level < low || level > high) note(sprintf("%s=%.1f", name($1), level))
      if ($3 > ceiling) note(sprintf("%s:%.2fdBTP", name($1), $3))
      if ($8 > 0) note(sprintf("%s:%dclipped", name($1), $8))
    }
    # The table shows the first few; --check lists them all.
    function note(text) {
      out = out " " text
      if (++outliers <= 6) shown = shown " " text
    }
    END {
      if (outliers > 6) shown = shown sprintf(" (%d in all)", outliers)
      printf "%-9s %4d %7.1f %7.1f %7.1f %7.1f %7.1f %7.1f %7d  %5.1f..%-5.1f%s\n", group, n, lo, med, hi,
             peak, lead, trail, clipped, low, high, shown
      if (out != "") print group ":" out > "/dev/stderr"
    }' "$work/$1.tsv" 2>>"$work/outliers.txt"
}

speech_low=$(awk -v t="$speech_lufs" -v d="$tolerance" 'BEGIN { print t - d }')
speech_high=$(awk -v t="$speech_lufs" -v d="$tolerance" 'BEGIN { print t + d }')
engine_low=$(awk -v t="$speech_lufs" -v d="$levelled_tolerance" 'BEGIN { print t - d }')
engine_high=$(awk -v t="$speech_lufs" -v d="$levelled_tolerance" 'BEGIN { print t + d }')
word_low=$(awk -v t="$message_median" -v d="$tolerance" 'BEGIN { print t - d }')
word_high=$(awk -v t="$message_median" -v d="$tolerance" 'BEGIN { print t + d }')
: >"$work/outliers.txt"
printf '%-9s %4s %7s %7s %7s %7s %7s %7s %7s  %-12s %s\n' group n min median max \
  'peak' 'lead' 'trail' clipped range outliers
printf '%-9s %4s %7s %7s %7s %7s %7s %7s %7s\n' '' '' LUFS LUFS LUFS dBTP ms ms samples
for group in messages letters signs numbers; do
  row $group "$speech_low" "$speech_high" "$true_peak_ceiling_db"
done
row effects "$effect_low_lufs" "$effect_high_lufs" "$true_peak_ceiling_db"
row native "$word_low" "$word_high" 0
row engine "$engine_low" "$engine_high" 0

# The engine against the native voice, word by word.
paste "$work/native.tsv" "$work/engine.tsv" |
  awk -F'\t' '$2 != "-" && $10 != "-" { print $10 - $2 }' | sort -g >"$work/differences.txt"
engine_offset=$(awk '{ v[NR] = $1 } END { if (NR == 0) print "nan";
  else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }' \
  "$work/differences.txt")
printf 'engine - native voice, same word: median %+.1f LU, from %+.1f to %+.1f LU (%d words)\n' \
  "$engine_offset" "$(head -1 "$work/differences.txt")" "$(tail -1 "$work/differences.txt")" \
  "$(wc -l <"$work/differences.txt")"
printf 'messages median %.1f LUFS; words: %s\n' "$message_median" "$(tr '\n' ' ' <"$work/words.txt")"

if [ $check -eq 1 ]; then
  while IFS= read -r line; do fail "$line"; done <"$work/outliers.txt"
  [ "$(wc -l <"$work/differences.txt")" -eq "$words" ] || fail "some words were not measured"
  awk -v d="$engine_offset" -v t="$engine_tolerance" 'BEGIN { exit !(d >= -t && d <= t) }' ||
    fail "the engine reads words ${engine_offset} LU away from the native voice"
  finish sound-report
fi
