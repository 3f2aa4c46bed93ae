#!/usr/bin/env bash
# Things that are not regular files (a FIFO, a directory) in the place of a
# file the programs read: the word list, the configuration, the player's own
# copy, the recordings, the picture, the native voice's files and the
# built-in engine's. Each is refused the way a missing file is, at once: the
# game's transcript is the one it gives without the file, and nothing waits
# on a FIFO that no one writes.
# Usage: odd_files.sh HEADLESS_PROGRAM DATA_ROOT (zebfala lies beside it)
set -u
headless=$1
zebfala=$(dirname "$1")/zebfala
root=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/../lib/checks.sh" "$work"

# A private data tree of links to the generated one, so that one file of it
# can be taken away or replaced.
fresh_tree() { # kind: native or quelo
  rm -rf "$work/tree"
  mkdir "$work/tree"
  cp -rs "$root/." "$work/tree/"
  if [ "$1" = quelo ]; then
    # The word read at the end of the round goes to the built-in engine.
    local ini=$work/tree/windows/ZEBUNA.INI
    sed -e 's/^SAPI=N/SAPI=S/' -e 's/^\[SERVFALA\]/[SERVFALA]\r\nTIPOSAPI=3/' \
      "$root/windows/ZEBUNA.INI" >"$work/ini" && rm "$ini" && mv "$work/ini" "$ini"
  fi
}

# The player's own copy of ZEBUNA.INI is looked for there.
home=$work/home

# A round given up at once: the word is spelled and read, then "n" ends the game.
game() { # out-file [options...]
  local out=$1
  shift
  ZEBUNA_ROOT="$work/tree" XDG_CONFIG_HOME="$home" \
    timeout 20 "$headless" --seed 4321 --keys 'a{ESC}n' "$@" >"$out" 2>&1
  local code=$?
  [ $code -ne 124 ] || fail "the game did not end: $(tail -3 "$out")"
}

replace() { # path, what: fifo or directory
  rm -f "$1"
  if [ "$2" = fifo ]; then mkfifo "$1"; else mkdir "$1"; fi
}

restore() { # path relative to the tree: the link to the generated file again
  rm -rf "${work:?}/tree/$1"
  ln -s "$root/$1" "$work/tree/$1"
}

check_file() { # kind, path relative to the tree
  local kind=$1 file=$2 what
  rm "$work/tree/$file"
  game "$work/missing.txt"
  for what in fifo directory; do
    replace "$work/tree/$file" "$what"
    game "$work/odd.txt"
    cmp -s "$work/missing.txt" "$work/odd.txt" ||
      fail "$kind: a $what as $file: $(diff "$work/missing.txt" "$work/odd.txt" | head -5)"
  done
  restore "$file"
}

fresh_tree native
for file in windows/ZEBUNA.INI talvek/som/quibo2/galdrino.pal talvek/som/quibo2/galdrino.bmp \
  talvek/som/quibo2/GDINIC.wav talvek/som/letras/_65.wav talvek/som/difones/ZEBVOZ.IND \
  talvek/som/difones/ZEBVOZ.DIF talvek/som/difones/regras.rgr talvek/som/difones/portug.exc; do
  check_file native "$file"
done
fresh_tree quelo
# The built-in engine reads the word: without its rules the game's own voice does.
game "$work/quelo.txt"
rm "$work/tree/talvek/quelotts/portug.nrl"
game "$work/missing.txt"
restore talvek/quelotts/portug.nrl
! cmp -s "$work/quelo.txt" "$work/missing.txt" || fail "the built-in engine did not read the word"
for file in portug.nrl portug.exc portug.abr portug.pro portug.dfn zbr1; do
  check_file quelo "talvek/quelotts/$file"
done

# A missing file must be noticed in the first place, or the checks above
# compare two good games.
fresh_tree native
rm "$work/tree/talvek/som/quibo2/galdrino.pal"
game "$work/missing.txt"
restore talvek/som/quibo2/galdrino.pal
grep -q "^text Não achei o arquivo de palavras" "$work/missing.txt" ||
  fail "a missing word list went unnoticed: $(head -5 "$work/missing.txt")"
grep -qx "exit 1" "$work/missing.txt" || fail "a missing word list did not end the game"

# The configuration named by --config: a FIFO is the same as no file.
game "$work/missing.txt" --config "$work/none.ini"
mkfifo "$work/config.fifo"
game "$work/odd.txt" --config "$work/config.fifo"
cmp -s "$work/missing.txt" "$work/odd.txt" ||
  fail "a FIFO given to --config: $(diff "$work/missing.txt" "$work/odd.txt" | head -5)"

# The player's own copy: a FIFO or a directory cannot be read, which the
# game says, printed and spoken, before it ends.
for what in fifo directory; do
  mkdir -p "$work/home/galdrino"
  replace "$work/home/galdrino/ZEBUNA.INI" "$what"
  game "$work/odd.txt"
  grep -q "^text Não consigo ler o seu arquivo de configuração" "$work/odd.txt" ||
    fail "a $what as the player's copy: $(head -5 "$work/odd.txt")"
  grep -qx "exit 1" "$work/odd.txt" || fail "a $what as the player's copy did not end the game"
  ZEBUNA_ROOT="$work/tree" XDG_CONFIG_HOME="$home" timeout 20 \
  "$zebfala" -w "$work/out.wav" casa 2>"$work/err"
  code=$?
  [ $code -eq 1 ] || fail "zebfala with a $what as the player's copy exited with $code"
  grep -q "Não consigo ler" "$work/err" || fail "zebfala with a $what as the player's copy: $(cat "$work/err")"
  rm -rf "${work:?}/home"
done

# zebfala with a FIFO for its voice: the voice cannot start, as without it.
replace "$work/tree/talvek/som/difones/ZEBVOZ.IND" fifo
ZEBUNA_ROOT="$work/tree" XDG_CONFIG_HOME="$home" timeout 20 \
  "$zebfala" -w "$work/out.wav" casa 2>"$work/err"
code=$?
[ $code -eq 1 ] || fail "zebfala with a FIFO for the voice's index exited with $code"
grep -q "Erro de inicializa" "$work/err" || fail "zebfala with a FIFO for the index: $(cat "$work/err")"
[ ! -e "$work/out.wav" ] || fail "zebfala with a FIFO for the index wrote a file"

finish odd_files
