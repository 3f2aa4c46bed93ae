#!/usr/bin/env bash
# The programs' command lines: --help and --version answer on the standard
# output with status 0, an unknown option is a usage error (status 2, the
# usage on the standard error, nothing spoken or played), and "--" ends the
# options.
# Usage: command_lines.sh HEADLESS_PROGRAM DATA_ROOT (zebfala and, when
# built, galdrino lie beside it)
set -u
bin=$(dirname "$1")
root=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/../lib/checks.sh" "$work"
export ZEBUNA_ROOT=$root

programs=(galdrino-headless zebfala)
[ -x "$bin/galdrino" ] && programs+=(galdrino)

# Runs a program; its status, output and errors land in $work/{status,out,err}.
run() {
  timeout 60 "$@" >"$work/out" 2>"$work/err"
  echo $? >"$work/status"
}
status() { cat "$work/status"; }

versions=()
for program in "${programs[@]}"; do
  run "$bin/$program" --help
  [ "$(status)" = 0 ] || fail "$program --help exited with $(status)"
  grep -q "^usage: $program" "$work/out" || fail "$program --help printed no usage on stdout"
  [ ! -s "$work/err" ] || fail "$program --help wrote to stderr: $(cat "$work/err")"

  run "$bin/$program" --version
  [ "$(status)" = 0 ] || fail "$program --version exited with $(status)"
  version_line='^'$program' [0-9]+\.[0-9]+\.[0-9]+$'
  [[ "$(cat "$work/out")" =~ $version_line ]] ||
    fail "$program --version printed '$(cat "$work/out")'"
  versions+=("$(cut -d' ' -f2 "$work/out")")

  for wrong in --bogus -q; do
    run "$bin/$program" "$wrong"
    [ "$(status)" = 2 ] || fail "$program $wrong exited with $(status), not 2"
    grep -q "unknown option: $wrong" "$work/err" || fail "$program $wrong: no message on stderr"
    grep -q "usage: $program" "$work/err" || fail "$program $wrong: no usage on stderr"
    [ ! -s "$work/out" ] || fail "$program $wrong wrote to stdout: $(head -c 200 "$work/out")"
  done
done
[ "$(printf '%s\n' "${versions[@]}" | sort -u | wc -l)" = 1 ] ||
  fail "the programs give different versions: ${versions[*]}"

# zebfala: an option it does not know is never taken as the text, nor is an
# option missing its value; after "--" a text may begin with "-".
run "$bin/zebfala" -w "$work/bogus.wav" --bogus
[ "$(status)" = 2 ] && [ ! -e "$work/bogus.wav" ] || fail "zebfala -w F --bogus spoke or wrote"
run "$bin/zebfala" -w
[ "$(status)" = 2 ] && grep -q -- "-w needs a value" "$work/err" || fail "zebfala -w alone: $(status)"
run "$bin/zebfala" -x -- "-casa"
[ "$(status)" = 0 ] && [ -n "$(cat "$work/out")" ] || fail "zebfala -x -- -casa exited with $(status)"
casa=$("$bin/zebfala" -x casa)
[[ "$(cat "$work/out")" == *"$casa" ]] || fail "zebfala -x -- -casa gave $(cat "$work/out"), not ...$casa"
run "$bin/zebfala" -x -- --help
grep -q usage "$work/out" && fail "zebfala took --help after -- as an option"
run "$bin/zebfala" -x casa --help
[ "$(status)" = 2 ] || fail "zebfala with a second argument after the text exited with $(status)"

# galdrino-headless takes no text: "--" alone is fine, anything after it is not.
run "$bin/galdrino-headless" --keys "{ESC}n" --
[ "$(status)" = 0 ] || fail "galdrino-headless ... -- exited with $(status)"
run "$bin/galdrino-headless" -- extra
[ "$(status)" = 2 ] || fail "galdrino-headless -- extra exited with $(status), not 2"
run "$bin/galdrino-headless" --seed
[ "$(status)" = 2 ] && grep -q -- "--seed needs a value" "$work/err" ||
  fail "galdrino-headless --seed alone: $(status)"

finish command_lines
