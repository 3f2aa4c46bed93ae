#!/usr/bin/env bash
# Whole games played from the shell through galdrino-headless, with the
# generated recordings. Usage: games.sh PROGRAM DATA_ROOT
set -u
program=$1
root=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/../lib/checks.sh" "$work"

# An INI like the default one, with the word list replaced.
config_with_words() {
  local list=$1
  printf '[GALDRINO]\r\nARQPALAVRAS=%s\r\n[TRADUTOR]\r\nSAPI=N\r\n[SINTETIZADOR]\r\nDIFONES3=ZEBVOZ\r\n' \
    "$list" >"$work/ZEBUNA.INI"
  echo "$work/ZEBUNA.INI"
}

expect_line() { # transcript, exact line
  grep -qxF -- "$2" "$1" || fail "missing line '$2' in $(basename "$1")"
}

play() { # name, config, keys [, expected exit code] -> transcript file
  local out="$work/$1.txt"
  "$program" --config "$2" --seed 1234 --keys "$3" --screen >"$out"
  local code=$?
  [ "$code" -eq "${4:-0}" ] || fail "$1 exited with $code"
  echo "$out"
}

printf 'CASA\r\n' >"$work/casa.pal"
cfg=$(config_with_words "$work/casa.pal")

t=$(play win "$cfg" "ascn")
expect_line "$t" "text Parabéns !  A palavra era essa mesmo.\\n"
expect_line "$t" "text A palavra era: "
expect_line "$t" "text CASA\\n"
expect_line "$t" "text Tchau, até a próxima...\\n"
expect_line "$t" "exit 0"
grep -q '^sound GDINIC.wav [1-9][0-9]*$' "$t" || fail "GDINIC.wav not heard"
grep -q '^sound GDPLIM.wav [1-9]' "$t" || fail "plim not heard"

t=$(play hanged "$cfg" "bdefghijN")
for part in "a cabeça" "o pescoço" "o tronco" "o braço direito" "o braço esquerdo" \
  "a perna direita" "a perna esquerda"; do
  expect_line "$t" "text Desenhei $part...\\n"
done
expect_line "$t" "text Que pena, foi enforcado!\\n"
grep -q '^sound GDREQIEN.wav' "$t" || fail "requiem not heard"
grep -qF 'text      { \\ / }' "$t" || fail "hanged figure not drawn"

t=$(play gave_up "$cfg" "{ESC}n")
expect_line "$t" "text Que pena, você desistiu!\\n"

cfg=$(config_with_words "$work/none.pal")
t=$(play missing_list "$cfg" "" 1)
expect_line "$t" "text Não achei o arquivo de palavras\\n"
expect_line "$t" "text O programa foi cancelado.\\n"
expect_line "$t" "exit 1"

# The default configuration and word list of the data tree.
t="$work/default.txt"
ZEBUNA_ROOT="$root" "$program" --seed 99 --keys "{ESC}n" >"$t" || fail "default game failed"
expect_line "$t" "text JOGO DA FORCA ZEB\\n"
grep -q '^text [A-Z]\+\\n$' "$t" || fail "no word read in the default game"

finish games
