#!/usr/bin/env bash
# Checks an installed tree the way a player uses it, with no environment
# variable of the project set:
#   installed.sh PREFIX               the programs installed under PREFIX
#   installed.sh --install BUILD_DIR  installs BUILD_DIR into a temporary
#                                     prefix, checks it, moves it and checks
#                                     it again (the programs find everything
#                                     from their own place)
# The player's ZEBUNA.INI is looked up under a temporary XDG_CONFIG_HOME.
set -u
unset ZEBUNA_ROOT ZEBUNA_WINDIR ZEBUNA_REGISTRY ZEBUNA_MBROLA
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/../lib/checks.sh" "$work"

# A WAV file of more than a few hundred samples.
check_wav() { # file, what
  if [ ! -s "$1" ]; then
    fail "$2: no file written"
  elif [ "$(head -c 4 "$1")" != RIFF ] || [ "$(stat -c %s "$1")" -lt 2000 ]; then
    fail "$2: not a WAV file of speech ($(stat -c %s "$1") bytes)"
  fi
}

expect_line() { # file, exact line, what
  grep -qxF -- "$2" "$1" || fail "$3: no line '$2'"
}

# Every manual page in English and in Portuguese, its version filled in.
check_manual_pages() { # prefix
  local page language path text
  for page in man6/galdrino.6 man6/galdrino-headless.6 man1/zebfala.1 man1/zebcheck.1; do
    for language in "" pt_BR/; do
      path=$1/share/man/$language$page.gz
      if ! text=$(gzip -dc "$path" 2>/dev/null); then
        fail "manual page $path missing or damaged"
      elif ! grep -q '^\.TH [A-Z-]* [16] "[0-9-]*" "galdrino [0-9.]*"' <<<"$text"; then
        fail "manual page $path: no filled-in title line"
      fi
    done
  done
  gzip -dc "$1/share/man/pt_BR/man6/galdrino.6.gz" 2>/dev/null | grep -q '^\.SH DESCRIÇÃO$' ||
    fail "the Portuguese galdrino(6) is not in Portuguese"
}

check_prefix() { # prefix
  local prefix=$1 bin=$1/bin out=$work/out
  local data
  # The Debian package keeps the programs in games/.
  [ -x "$prefix/games/galdrino-headless" ] && bin=$prefix/games
  data=$prefix/share/galdrino/windows/ZEBUNA.INI
  [ -f "$data" ] || fail "no installed ZEBUNA.INI: $data"
  export XDG_CONFIG_HOME=$work/config
  rm -rf "$XDG_CONFIG_HOME" "$out"
  mkdir -p "$out"
  check_manual_pages "$prefix"

  "$bin/zebcheck" >"$out/zebcheck.txt" || fail "zebcheck finds faults in the installed data: $(cat "$out/zebcheck.txt")"
  "$bin/zebfala" -w "$out/nativa.wav" "Bom dia, 25 casas." || fail "zebfala -w exited with $?"
  check_wav "$out/nativa.wav" "zebfala, native voice"
  "$bin/zebfala" --engine quelo -w "$out/quelo.wav" "Bom dia, 25 casas." ||
    fail "zebfala --engine quelo exited with $?"
  check_wav "$out/quelo.wav" "zebfala, built-in engine"

  "$bin/galdrino-headless" --seed 42 --keys 'aeiou{ESC}n' >"$out/round.txt"
  local code=$?
  [ "$code" -eq 0 ] || fail "the headless round exited with $code"
  expect_line "$out/round.txt" 'text JOGO DA FORCA ZEB\n' "headless round"
  expect_line "$out/round.txt" 'text Que pena, você desistiu!\n' "headless round"
  expect_line "$out/round.txt" 'exit 0' "headless round"
  grep -q '^sound GDINIC.wav [1-9]' "$out/round.txt" || fail "headless round: GDINIC.wav not heard"

  # The player's copy of ZEBUNA.INI, with a word list of one word.
  mkdir -p "$XDG_CONFIG_HOME/galdrino"
  printf 'MINHAPALAVRA\r\n' >"$work/minhas.pal"
  sed "s|^;ARQPALAVRAS=.*|ARQPALAVRAS=$work/minhas.pal\r|" "$data" \
    >"$XDG_CONFIG_HOME/galdrino/ZEBUNA.INI"
  "$bin/galdrino-headless" --seed 42 --keys '{ESC}n' >"$out/player.txt"
  expect_line "$out/player.txt" 'text MINHAPALAVRA\n' "the player's ZEBUNA.INI"

  printf '[GALDRINO]\r\nARQPALAVRAS %s\r\n' "$work/minhas.pal" >"$XDG_CONFIG_HOME/galdrino/ZEBUNA.INI"
  "$bin/galdrino-headless" --keys '{ESC}n' >"$out/damaged.txt"
  expect_line "$out/damaged.txt" 'text Houve um erro no seu arquivo de configuração. Linha ' \
    "a damaged ZEBUNA.INI"
  expect_line "$out/damaged.txt" "text $XDG_CONFIG_HOME/galdrino/ZEBUNA.INI\\n" "a damaged ZEBUNA.INI"
  grep -q '^sound GDCFGERR.wav [1-9]' "$out/damaged.txt" || fail "a damaged ZEBUNA.INI is not heard"
  if "$bin/zebfala" -w "$out/x.wav" casa 2>"$out/zebfala.err"; then
    fail "zebfala ran with a damaged ZEBUNA.INI"
  fi
  grep -q 'Linha 2' "$out/zebfala.err" || fail "zebfala did not name the damaged line"
  rm -rf "$XDG_CONFIG_HOME"
}

if [ "${1:-}" = "--install" ]; then
  prefix=$work/prefix
  cmake --install "$2" --prefix "$prefix" >"$work/install.log" || {
    cat "$work/install.log"
    exit 1
  }
  check_prefix "$prefix"
  mv "$prefix" "$work/moved"
  check_prefix "$work/moved"
  # Without its data tree the game says where it looked.
  rm -rf "$work/moved/share/galdrino"
  "$work/moved/bin/galdrino-headless" --keys x >"$work/nodata.txt"
  expect_line "$work/nodata.txt" 'text Não achei os dados do jogo:\n' "no data tree"
  expect_line "$work/nodata.txt" "text $work/moved/share/galdrino\\n" "no data tree"
  if "$work/moved/bin/zebfala" -w "$work/x.wav" casa 2>"$work/nodata.err"; then
    fail "zebfala ran without its data tree"
  fi
  grep -q 'Não achei os dados do jogo' "$work/nodata.err" || fail "zebfala: no message for the data tree"
else
  check_prefix "$1"
fi

finish installed
