#!/usr/bin/env bash
# zebcheck, the data checker: the shipped data tree is clean, and each kind
# of fault in a damaged copy is told at its file and line.
# Usage: zebcheck.sh HEADLESS_PROGRAM DATA_ROOT (zebcheck lies beside it)
set -u
zebcheck=$(dirname "$1")/zebcheck
root=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/../lib/checks.sh" "$work"

# The shipped tree, found from the program's own place and named.
out=$("$zebcheck" 2>&1) || fail "the installed tree is not clean: $out"
out=$("$zebcheck" "$root" 2>&1) || fail "$root is not clean: $out"
"$zebcheck" --version | grep -q '^zebcheck [0-9]' || fail "--version"
"$zebcheck" --help | grep -q 'FILE:LINE' || fail "--help"
"$zebcheck" --nothing >/dev/null 2>&1
[ $? = 2 ] || fail "an unknown option does not exit with 2"

tree=$work/tree
fresh_copy() {
  rm -rf "$tree"
  mkdir -p "$tree/talvek/som/quibo2" "$tree/windows"
  cp -r "$root/talvek/som/difones" "$tree/talvek/som/"
  cp -r "$root/talvek/quelotts" "$tree/talvek/"
  cp "$root/talvek/som/quibo2/galdrino.pal" "$tree/talvek/som/quibo2/"
  cp "$root/windows/ZEBUNA.INI" "$tree/windows/"
}

# Adds a line (printf format, Windows-1252) at the end of FILE and prints its number.
append() { # file, line
  printf "$2\r\n" >>"$tree/$1"
  wc -l <"$tree/$1"
}
# Puts a line after the first line that is exactly AFTER and prints its number.
insert_after() { # file, after, line
  local at
  at=$(tr -d '\r' <"$tree/$1" | grep -naxF -m1 -- "$2" | cut -d: -f1)
  [ -n "$at" ] || { fail "no line '$2' in $1"; echo 0; return; }
  sed -i "${at}a\\$3\r" "$tree/$1"
  echo $((at + 1))
}
line_of() { # file, exact line
  tr -d '\r' <"$tree/$1" | grep -naxF -m1 -- "$2" | cut -d: -f1
}

# Runs zebcheck on the damaged copy: exit status 1 and the expected lines,
# nothing else (expect) or among others (expect_among).
expect_among() { # case name, expected lines...
  local name=$1 line
  shift
  got=$("$zebcheck" "$tree")
  [ $? = 1 ] || fail "$name: exit status is not 1"
  for line in "$@"; do
    grep -qxF -- "$line" <<<"$got" || fail "$name: no '$line' in: $got"
  done
}
expect() { # case name, expected lines...
  expect_among "$@"
  [ "$(wc -l <<<"$got")" = $(($# - 1)) ] || fail "$1: more than the expected findings: $got"
}

pal=talvek/som/quibo2/galdrino.pal ini=windows/ZEBUNA.INI
rgr=talvek/som/difones/regras.rgr nexc=talvek/som/difones/portug.exc
ind=talvek/som/difones/ZEBVOZ.IND
nrl=talvek/quelotts/portug.nrl qexc=talvek/quelotts/portug.exc abr=talvek/quelotts/portug.abr
pro=talvek/quelotts/portug.pro dfn=talvek/quelotts/portug.dfn voice=talvek/quelotts/zbr1
long=$(printf 'A%.0s' $(seq 45))

# One case a line: the file, how it is damaged, the finding.
cases() {
  fresh_copy; n=$(append $pal 'ma\347a')
  expect "word list, a cedilla" "$tree/$pal:$n: character code 231 is not a letter A..Z: the game stops here"
  fresh_copy; n=$(append $pal "$long")
  expect "word list, a long word" "$tree/$pal:$n: longer than 40 letters: cut to \"${long:0:40}\""
  fresh_copy; n=$(append $pal '')
  expect "word list, an empty line" "$tree/$pal:$n: empty line: an empty word the game can draw"
  fresh_copy; n=$(($(wc -l <"$tree/$pal") + 1)); printf '\032CASA\r\n' >>"$tree/$pal"
  expect "word list, an end-of-file mark" "$tree/$pal:$n: a Ctrl+Z (code 26) ends the list here: the rest is ignored"
  fresh_copy; : >"$tree/$pal"
  expect "word list, empty" "$tree/$pal: no words: the game stops at its start"

  fresh_copy; n=$(append $ini 'lixo')
  expect "configuration, a stray line" "$tree/$ini:$n: neither a setting, a [section], a comment nor blank: ignored"
  fresh_copy; first=$(line_of $ini '[VIDEO]'); n=$(append $ini '[video]')
  expect "configuration, a section again" "$tree/$ini:$n: [video] again (first on line $first): its settings are ignored"
  fresh_copy; first=$(line_of $ini 'PGMZEBUNA=c:\talvek'); n=$(append $ini 'pgmzebuna=d:\\x')
  expect "configuration, a key again" "$tree/$ini:$n: pgmzebuna is already set on line $first: this line is ignored"
  fresh_copy; n=$(insert_after $ini '[SERVFALA]' 'VOZ=dois')
  expect "configuration, not a number" "$tree/$ini:$n: VOZ=dois is not a whole number: read as 0"

  fresh_copy; n=$(line_of $ini 'DIFONES3=ZEBVOZ'); sed -i "${n}s/ZEBVOZ/ZEBVOZLONGO/" "$tree/$ini"
  expect "configuration, a long voice name" "$tree/$ini:$n: DIFONES3 is longer than 8 characters: a voice name keeps its first 8 characters" \
    "$tree/talvek/som/difones/ZEBVOZLO.IND: cannot be read: the native voice does not start"

  fresh_copy; sed -i '/^DIFONES3=/d' "$tree/$ini"
  expect "configuration, no voice for the game" "$tree/$ini: no DIFONES3 in [SINTETIZADOR]: the game's native voice has no name and does not start"
  fresh_copy; sed -i 's/^BASE=portug/BASE=outro/' "$tree/$ini"
  expect_among "configuration, the engine's files elsewhere" "$tree/talvek/quelotts/outro.nrl: cannot be read: the built-in engine does not start"

  fresh_copy; n=$(append $rgr 'semparenteses')
  expect "native rules, no (" "$tree/$rgr:$n: no \"(\": not a rule, ignored"
  fresh_copy; n=$(append $rgr '()=a')
  expect "native rules, empty centre" "$tree/$rgr:$n: empty centre: not a rule, ignored"
  fresh_copy; n=$(append $rgr '(~)=a')
  expect "native rules, no chain" "$tree/$rgr:$n: the centre begins with ~, which no rule chain holds: ignored"
  fresh_copy; n=$(append $rgr 'ABCDEF(0)=a')
  expect "native rules, long context" "$tree/$rgr:$n: left context \"ABCDEF\" is longer than 5 characters: cut to \"ABCDE\""
  fresh_copy; n=$(append $rgr '(0)Ba')
  expect "native rules, no =" "$tree/$rgr:$n: no \"=\": the rule has no output" \
    "$tree/$rgr:$n: lower-case a in the right context never matches: words are compared in upper case"
  fresh_copy; n=$(append $rgr '&(0)=a')
  expect "native rules, a right symbol on the left" "$tree/$rgr:$n: & means nothing in the left context: compared as a character, it never matches"
  fresh_copy; first=$(tr -d '\r' <"$tree/$rgr" | grep -na -m1 '^(A)=' | cut -d: -f1); n=$(append $rgr '(A)=a')
  expect "native rules, a rule that never applies" "$tree/$rgr:$n: never applies: the rule on line $first, (A) without contexts, always matches first"
  # A new output makes new units with every other output: one of them is checked.
  fresh_copy; n=$(append $rgr '(0)=ax')
  expect_among "native rules, a unit the voice lacks" "$tree/$rgr:$n: unit \$AX (output \"ax\") is not in ZEBVOZ.IND: nothing is heard"

  fresh_copy; n=$(append $nexc 'casinha')
  expect "native exceptions, no =" "$tree/$nexc:$n: no \"=\": read as a word no text has, ignored"
  fresh_copy; n=$(append $nexc 'Casa=kaza')
  expect "native exceptions, upper case" "$tree/$nexc:$n: \"Casa\" is never found: words are looked up as lower-case letters and accent marks"
  fresh_copy; n=$(append $nexc 'muito=muyto')
  expect "native exceptions, a word again" "$tree/$nexc:$n: \"muito\" is already on line 1: this line is never used"

  fresh_copy; printf 'abc' >>"$tree/$ind"
  expect "native index, a part record" "$tree/$ind: 3 bytes after the last whole record are ignored"
  fresh_copy; n=$(($(stat -c %s "$tree/$ind") / 15 + 1))
  printf '\005$zzzz\0\0\0\144\0\377\377\377\177' >>"$tree/$ind"
  expect "native index, a bad record" \
    "$tree/$ind:$n: \"\$zzzz\": lower-case letters: never found (names are looked up in upper case)" \
    "$tree/$ind:$n: \"\$zzzz\": its samples lie outside ZEBVOZ.DIF ($(stat -c %s "$tree/talvek/som/difones/ZEBVOZ.DIF") bytes): they are heard as silence"

  fresh_copy; n=$(append $nrl '(0)=zz')
  expect "engine rules, a phoneme the voice lacks" "$tree/$nrl:$n: phoneme zz is not in the voice zbr1" \
    "$tree/$nrl:$n: phoneme zz has no duration in the prosody file: it lasts 100 ms"
  fresh_copy; n=$(append $nrl '(0)=a&a&a&a&a&a&a')
  expect "engine rules, a long output" "$tree/$nrl:$n: output \"a&a&a&a&a&a&a\" is longer than 11 characters: only \"a&a&a&a&a&a\" is used"
  fresh_copy; first=$(tr -d '\r' <"$tree/$nrl" | grep -na -m1 '^(A)=' | cut -d: -f1); n=$(append $nrl '(A)=a')
  expect "engine rules, a rule that never applies" "$tree/$nrl:$n: never applies: the rule on line $first, (A) without contexts, always matches first"
  fresh_copy; n=$(append $qexc 'CA SA=CAZA')
  expect "engine exceptions, a blank in a word" "$tree/$qexc:$n: \"CA SA\" is never found: a word holds letters and hyphens only"
  fresh_copy; n=$(append $qexc 'CASINHA')
  expect "engine exceptions, no =" "$tree/$qexc:$n: no \"=\": ignored"
  fresh_copy; n=$(append $abr 'SR.=senhor')
  expect "abbreviations, a full stop in the key" "$tree/$abr:$n: \"SR.\" is never expanded: a word holds letters and hyphens only"
  fresh_copy; n=$(append $abr 'senhora')
  expect "abbreviations, no =" "$tree/$abr:$n: no \"=\": an entry without a word, never used"
  fresh_copy; n=$(append $pro '[OUTRA]')
  expect "prosody, an unknown section" "$tree/$pro:$n: unknown section [OUTRA]: its lines are ignored"
  fresh_copy; n=$(insert_after $pro "$(printf '[DURA\307\303O]')" 'abc=80')
  expect "prosody, a long name" "$tree/$pro:$n: phoneme name \"abc\" is longer than 2 characters: cut to \"ab\""
  fresh_copy; insert_after $pro "$(printf '[DURA\307\303O]')" 'zz=90' >/dev/null
  n=$(($(insert_after $pro "$(printf '[DURA\307\303O]')" 'zz=80') + 1))
  expect "prosody, a duration again" "$tree/$pro:$n: phoneme zz has a duration already: this one is not used"
  fresh_copy; insert_after $pro '[CHAVES]' 'ZZZ=AA' >/dev/null; n=$(($(insert_after $pro '[CHAVES]' 'ZZZ=BB') + 1))
  expect "prosody, a keyword again" "$tree/$pro:$n: keyword ZZZ has a class already: this one is not used"
  fresh_copy; insert_after $pro "$(printf '[PROS\323DIA]')" 'QQ|QQ|QQ=555' >/dev/null
  n=$(($(insert_after $pro "$(printf '[PROS\323DIA]')" 'QQ||=555') + 1))
  expect "prosody, a rule that never applies" "$tree/$pro:$n: an earlier rule matches every token this one does: it never applies"
  fresh_copy; n=$(insert_after $pro '[CHAVES]' 'ZZZ=C')
  expect "prosody, a short class" "$tree/$pro:$n: class \"C\" is shorter than 2 characters: token lines keep two, it is misread"
  fresh_copy; n=$(append $dfn 'qq rr')
  expect "diphone list, a diphone the voice lacks" "$tree/$dfn:$n: diphone qq-rr is not in the voice zbr1: the engine asks the synthesizer for it"
  fresh_copy; head -c 1000 "$root/$voice" >"$tree/$voice"
  expect "voice, cut short" "$tree/$voice: refused by the synthesizer: voice database is truncated or has trailing bytes (size 1000, expected $(stat -c %s "$root/$voice"))"
}
cases

# Single files are told by their names.
fresh_copy; n=$(append $rgr 'semparenteses')
got=$("$zebcheck" "$tree/$rgr" "$tree/$pal")
[ "$got" = "$tree/$rgr:$n: no \"(\": not a rule, ignored" ] || fail "single files: $got"

finish zebcheck
