#!/usr/bin/env bash
# The options of section GALDRINO (AJUDA, PLACAR, ACENTOS) in whole games
# through galdrino-headless, and the classic games, byte for byte, with the
# options absent or off. Usage: options.sh PROGRAM DATA_ROOT
set -u
program=$1
root=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/../lib/checks.sh" "$work"
golden=$(dirname "$0")/../golden/classic

config() { # name, word list, extra GALDRINO lines -> INI file
  printf '[GALDRINO]\r\nARQPALAVRAS=%s\r\n%s[TRADUTOR]\r\nSAPI=N\r\n[SINTETIZADOR]\r\nDIFONES3=ZEBVOZ\r\n' \
    "$2" "$3" >"$work/$1.ini"
  echo "$work/$1.ini"
}

play() { # name, config, keys, expected exit code -> transcript file
  local out="$work/$1.txt"
  "$program" --config "$2" --seed 1234 --keys "$3" --screen >"$out"
  local code=$?
  [ "$code" -eq "$4" ] || fail "$1 exited with $code"
  echo "$out"
}

# What the game printed, as one text ("\n" made line ends again).
printed() {
  sed -n 's/^text //p' "$1" | tr -d '\n' | sed 's/\\n/\n/g'
}

expect_text() { # transcript, exact printed line
  printed "$1" | grep -qxF -- "$2" || fail "$(basename "$1"): no printed line '$2'"
}

expect_sound() { # transcript, recording
  grep -q "^sound $2 " "$1" || fail "$(basename "$1"): $2 not heard"
}

# --- Classic games: with the options absent, or set to N, the transcripts
# are those of the game without options (sound lengths and the program's
# path left out, since they depend on the build).
printf 'CASA\r\nSOL\r\nBANANA\r\n' >"$work/a.pal"
printf 'casa\nma\xe7\xe3\n' >"$work/bad.pal"
printf 'CASA\r\n\r\nSOL\r\n' >"$work/empty.pal"
printf 'MA\xc3\x87\xc3\x83\n' >"$work/utf.pal"
printf 'GUARDA-CHUVA\n' >"$work/hy.pal"
for i in $(seq 1 501); do echo CASA; done >"$work/big.pal"
classic_games=(
  "win a ascn 0"
  "hanged a bdefghijN 0"
  "gave_up_twice a {ESC}s{ESC}n 0"
  "other_keys a {F1}{TAB}a{ENTER}$(printf '\xc3\xa7')x{UP}zn 0"
  "help_keys a aeiou{F1}{ESC}{F1}sbn 0"
  "tab_and_score a sa{TAB}cbnN 0"
  "bad_character bad ascn 1"
  "empty_line empty bdefghijN 0"
  "utf8_accents utf ascn 1"
  "hyphen hy ascn 1"
  "too_many_lines big ascn 1"
)
off=$'AJUDA=N\r\nPLACAR=N\r\nACENTOS=N\r\n'
for game in "${classic_games[@]}"; do
  read -r name list keys code <<<"$game"
  for options in "" "$off"; do
    t=$(play "$name" "$(config "$name" "$work/$list.pal" "$options")" "$keys" "$code")
    sed -E '/^title \//d; s/^(sound [^ ]+) [0-9]+$/\1/' "$t" >"$t.normal"
    cmp -s "$t.normal" "$golden/$name.txt" ||
      fail "classic game $name (options '${options//$'\r\n'/ }') differs from $golden/$name.txt"
  done
done

# --- ACENTOS: a UTF-8 list with its byte-order mark, comments, blank lines,
# blanks around the word and a category.
printf '\xef\xbb\xbf# Frutas do pomar\r\n\r\n[ Frutas ]\r\n  ma\xc3\xa7\xc3\xa3  \r\n\r\n' >"$work/maca.pal"
cfg=$(config maca "$work/maca.pal" $'ACENTOS=S\r\n')
t=$(play maca "$cfg" "am$(printf '\xc3\xa7')n" 0)
expect_text "$t" "Categoria: Frutas"
expect_text "$t" ".A.Ã  -> Que letra ? M"
expect_text "$t" "MA.Ã  -> Que letra ? Ç"
expect_sound "$t" "_195.wav"
expect_sound "$t" "_199.wav"
expect_text "$t" "A palavra era: MAÇÃ"
grep -q '^text Desenhei' "$t" && fail "maca: an accented letter counted as a miss"

# The same list in Windows-1252, without the category.
printf 'cora\xe7\xe3o\r\n' >"$work/coracao.pal"
cfg=$(config coracao "$work/coracao.pal" $'ACENTOS=S\r\n')
t=$(play coracao "$cfg" "crn" 0)
expect_text "$t" "C...Ç..  -> Que letra ? R"
expect_text "$t" "C.R.Ç..  -> Que letra ? N"
grep -q '^text Categoria' "$t" && fail "coracao: a category without a [line]"

# The hyphen is shown from the start and never asked for.
printf 'guarda-chuva\n' >"$work/guarda.pal"
cfg=$(config guarda "$work/guarda.pal" $'ACENTOS=S\r\n')
t=$(play guarda "$cfg" "guardchvn" 0)
expect_text "$t" "......-.....  -> Que letra ? G"
expect_text "$t" "A palavra era: GUARDA-CHUVA"
expect_text "$t" "Parabéns !  A palavra era essa mesmo."
expect_sound "$t" "_45.wav"

# Errors name the file, the line (counted with the skipped ones) and the
# character; the recorded message and the spoken number stay.
bad_list() { # name, contents, line, character shown, its code
  printf "$2" >"$work/$1.pal"
  local t
  t=$(play "$1" "$(config "$1" "$work/$1.pal" $'ACENTOS=S\r\n')" "" 1)
  expect_text "$t" "Houve um erro no arquivo de palavras. Linha $3"
  expect_text "$t" "Arquivo: $work/$1.pal"
  expect_text "$t" "Caractere não aceito: \"$4\" (código $5)"
  expect_text "$t" "O programa foi cancelado."
  expect_sound "$t" "GDERRPAL.wav"
}
bad_list digit '# lista\n\ncasa\nsol1\n' 4 1 49
bad_list leading_hyphen 'casa\n-sol\n' 2 - 45
bad_list trailing_hyphen 'casa-\n' 1 - 45
bad_list open_category '[Frutas\nuva\n' 1 '[' 91
bad_list after_category '[Frutas] uva\n' 1 u 117
bad_list sign 'p\xe3o\ncaf\xe9\nma\xe7\xe3\nol\xe1!\n' 4 '!' 33

# The example list installed for teachers, in UTF-8 on this host.
cfg=$(config animais 'c:\talvek\som\quibo2\animais.pal' $'ACENTOS=S\r\n')
t=$(ZEBUNA_ROOT="$root" play animais "$cfg" "{ESC}n" 0)
printed "$t" | grep -q '^Categoria: Animais d[ao] [a-z]*$' || fail "animais: no category said"
printed "$t" | grep -q '^A palavra era: [A-ZÃÇÁÉ-]*$' || fail "animais: no word shown"

# --- AJUDA: F1 at the letter and at the play-again question, Tab, and the
# misses left after each miss.
printf 'SOL\r\n' >"$work/sol.pal"
cfg=$(config ajuda "$work/sol.pal" $'AJUDA=S\r\n')
t=$(play ajuda "$cfg" "{F1}x{TAB}bdefghi{F1}n" 0)
for line in "Teclas da rodada:" "Uma letra: tenta essa letra." "ESC: desiste da rodada." \
  "No fim: N sai do jogo, outra tecla joga de novo."; do
  [ "$(printed "$t" | grep -cxF -- "$line")" -eq 2 ] || fail "ajuda: '$line' not printed twice"
done
for left in 6 5 4 3 2 1 0; do
  expect_text "$t" "Erros que você ainda pode cometer: $left"
done
expect_text "$t" "Letras que você já tentou:"
expect_text "$t" "X"
expect_text "$t" "Que pena, foi enforcado!"
expect_sound "$t" "GDRESTAM.wav"
expect_sound "$t" "GDAJNOVO.wav"
[ "$(grep -c '^sound GDDENOVO.wav' "$t")" -eq 2 ] || fail "ajuda: the question was not asked again"
expect_text "$t" "Tchau, até a próxima..."

# --- PLACAR: the score after each of two rounds.
printf 'SOL\r\n' >"$work/placar.pal"
cfg=$(config placar "$work/placar.pal" $'PLACAR=S\r\n')
t=$(play placar "$cfg" "sols{ESC}n" 0)
expect_text "$t" "Você acertou 1 de 1 palavras."
expect_text "$t" "Você acertou 1 de 2 palavras."
expect_sound "$t" "GDACERTO.wav"
expect_sound "$t" "GDPALAVS.wav"

finish options
