#!/usr/bin/env bash
# zebfala, the native voice from the command line, with the generated data.
# Usage: zebfala.sh HEADLESS_PROGRAM DATA_ROOT (zebfala lies beside it)
set -u
zebfala=$(dirname "$1")/zebfala
root=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/../lib/checks.sh" "$work"

header_field() { # file, offset, bytes -> unsigned little-endian value
  od -An -tu"$3" -j"$2" -N"$3" "$1" | tr -d ' '
}

# Writes TEXT into name.wav, checks the format and prints the duration in ms.
speak() { # name, text
  local out="$work/$1.wav"
  ZEBUNA_ROOT="$root" "$zebfala" -w "$out" "$2" || { fail "-w '$2' exited with $?"; echo 0; return; }
  [ "$(header_field "$out" 22 2)" = 1 ] || fail "$1.wav is not mono"
  [ "$(header_field "$out" 24 4)" = 22050 ] || fail "$1.wav is not 22050 Hz"
  [ "$(header_field "$out" 34 2)" = 16 ] || fail "$1.wav is not 16-bit"
  echo $(($(header_field "$out" 40 4) * 1000 / 44100))
}

phonemes=$(ZEBUNA_ROOT="$root" "$zebfala" -x "Casa bonita")
two_words='^\[[^]]+\]\[[^]]+\]$'
[[ "$phonemes" =~ $two_words ]] || fail "-x gave '$phonemes', not two bracketed words"
[ "$(ZEBUNA_ROOT="$root" "$zebfala" -x "ç")" = "$(ZEBUNA_ROOT="$root" "$zebfala" -x "ss")" ] ||
  fail "-x does not read UTF-8 as Windows-1252"

# The built-in engine's lines: some for a word, none for a blank text, which
# the engine does not speak.
pho() { ZEBUNA_ROOT="$root" "$zebfala" --pho "$@"; }
[ -n "$(pho "casa")" ] || fail "--pho printed nothing for casa"
for stage in tokens patterns phonemes; do
  [ -n "$(pho --stage $stage "casa")" ] || fail "--pho --stage $stage printed nothing for casa"
  [ -z "$(pho --stage $stage "   ")" ] || fail "--pho --stage $stage printed lines for a blank text"
done
[ -z "$(pho "  ")" ] || fail "--pho printed lines for a blank text"

word=$(speak casa "casa")
[ "$word" -ge 200 ] && [ "$word" -le 2000 ] || fail "casa lasts $word ms"
# A comma followed by a blank is spoken and then paused on: the two words
# with it last longer than twice the one word.
two=$(speak casa_casa "casa, casa")
[ "$two" -gt $((2 * word + 100)) ] || fail "'casa, casa' lasts $two ms, casa $word ms"
number=$(speak number "12")
[ "$number" -ge 200 ] || fail "12 lasts $number ms"

ZEBUNA_ROOT="$root" "$zebfala" -x >/dev/null 2>&1
[ $? -eq 2 ] || fail "no text is not a usage error"
ZEBUNA_ROOT="$root" "$zebfala" -x -w "$work/x.wav" casa >/dev/null 2>&1
[ $? -eq 2 ] || fail "-x with -w is not a usage error"
printf '[TRADUTOR]\r\nSAPI=N\r\n' >"$work/novoice.ini"
ZEBUNA_ROOT="$root" "$zebfala" --config "$work/novoice.ini" -w "$work/n.wav" casa >/dev/null 2>&1
[ $? -eq 1 ] || fail "a configuration without a voice does not fail"
[ ! -e "$work/n.wav" ] || fail "a failed run left a WAV file"

finish zebfala
