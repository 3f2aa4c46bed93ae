#!/usr/bin/env bash
# Absurd numbers in ZEBUNA.INI: each is taken as the nearest end of its range,
# so zebfala speaks exactly what it speaks with that end, in bounded time, and
# leaves no temporary file. Both voices: the native one ([SINTETIZADOR]) and
# the built-in engine ([SERVFALA] VELOCIDADE and TOM).
# Usage: absurd_settings.sh HEADLESS_PROGRAM DATA_ROOT (zebfala lies beside it)
set -u
zebfala=$(dirname "$1")/zebfala
root=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/../lib/checks.sh" "$work"

text="Casa. Bom dia, tudo bem: sim; pois (claro)."

# The installed ZEBUNA.INI with `line` first in `section`: the first of two
# equal keys is the one read.
config_with() { # section, line -> path
  local out=$work/ZEBUNA.INI
  sed "s/^\[$1\]\r\$/[$1]\r\n$2\r/" "$root/windows/ZEBUNA.INI" >"$out"
  grep -q "^$2" "$out" || fail "could not put $2 in [$1]"
  echo "$out"
}

# Bytes of sound zebfala writes for the text with the setting given.
sound_bytes() { # section, line, zebfala options...
  local config
  config=$(config_with "$1" "$2")
  shift 2
  rm -f "$work/out.wav"
  timeout 60 "$zebfala" --config "$config" "$@" -w "$work/out.wav" "$text" 2>"$work/err"
  local code=$?
  [ $code -eq 0 ] || fail "$2: zebfala exited with $code: $(head -3 "$work/err")"
  [ -z "$(find "$work" -name 'out.wav.tmp*')" ] || fail "$2: a temporary file was left"
  if [ -f "$work/out.wav" ]; then stat -c %s "$work/out.wav"; else echo 0; fi
}

same_as() { # section, absurd line, line at the range's end, zebfala options...
  local section=$1 absurd=$2 end=$3
  shift 3
  local got want
  got=$(sound_bytes "$section" "$absurd" "$@")
  want=$(sound_bytes "$section" "$end" "$@")
  [ "$got" -gt 44 ] || fail "$absurd: no sound"
  [ "$got" = "$want" ] || fail "$absurd: $got bytes of sound, with $end $want"
}

same_as SINTETIZADOR "PAUSAPONTO3=999999999" "PAUSAPONTO3=5000"
same_as SINTETIZADOR "PAUSAVIRG3=-2147483648" "PAUSAVIRG3=0"
same_as SINTETIZADOR "PAUSADOISPONTOS3=\$7FFFFFFF" "PAUSADOISPONTOS3=5000"
same_as SINTETIZADOR "INTERPAL3=2147483647" "INTERPAL3=22050"
same_as SINTETIZADOR "INTERPAL3=-1" "INTERPAL3=0"
same_as SINTETIZADOR "CORTEFON3=-99999" "CORTEFON3=0"
same_as SINTETIZADOR "CORTEFON3=2147483647" "CORTEFON3=11025"
same_as SINTETIZADOR "SOBRAFON3=-99999" "SOBRAFON3=0"
same_as SERVFALA "VELOCIDADE=-2147483648" "VELOCIDADE=-10" --engine quelo
same_as SERVFALA "VELOCIDADE=11" "VELOCIDADE=0" --engine quelo
same_as SERVFALA "TOM=2147483647" "TOM=10" --engine quelo
same_as SERVFALA "TOM=-99" "TOM=-10" --engine quelo

# The cut never lengthens the word: CASA with a negative cut is no longer
# than CASA uncut.
casa_bytes() { # line
  local config
  config=$(config_with SINTETIZADOR "$1")
  timeout 60 "$zebfala" --config "$config" -w "$work/casa.wav" "casa" || fail "$1: exited with $?"
  stat -c %s "$work/casa.wav"
}
uncut=$(casa_bytes "CORTEFON3=0")
negative=$(casa_bytes "CORTEFON3=-99999")
[ "$negative" -le "$uncut" ] || fail "CORTEFON3=-99999 made casa $negative bytes, uncut $uncut"

finish absurd_settings
