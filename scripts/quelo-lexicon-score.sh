#!/usr/bin/env bash
# Measures the built-in engine's shipped pronunciation rules and respellings
# (data/quelo/portug.nrl, data/quelo/portug.exc) against a reference lexicon
# ("word<TAB>phones" lines, UTF-8, most frequent first):
#   scripts/quelo-lexicon-score.sh LEXICON [--show N] [--no-exceptions]
# --no-exceptions measures the rules alone. Builds tools/lexscore's
# quelo-lexscore in build/quelo-lexscore when needed.
set -euo pipefail
if [ $# -lt 1 ]; then
    echo "usage: $0 LEXICON [--show N] [--no-exceptions]" >&2
    exit 2
fi
lexicon=$(realpath "$1")
shift
cd "$(dirname "$0")/.."
build=${QUELO_LEXSCORE_BUILD:-build/quelo-lexscore}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DZEB_WITH_SDL=OFF -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build "$build" --target quelo-lexscore -j2 >/dev/null
"$build/bin/quelo-lexscore" "$@" data/quelo/portug.nrl data/quelo/portug.exc "$lexicon"
