#!/usr/bin/env bash
# Measures the shipped letter-to-sound rules and respellings against a
# reference lexicon ("word<TAB>phones" lines, UTF-8):
#   scripts/lexicon-score.sh LEXICON [--show N]
# Builds tools/lexscore in build/lexscore when needed.
set -euo pipefail
if [ $# -lt 1 ]; then
    echo "usage: $0 LEXICON [--show N]" >&2
    exit 2
fi
lexicon=$(realpath "$1")
shift
cd "$(dirname "$0")/.."
build=${LEXSCORE_BUILD:-build/lexscore}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DZEB_WITH_SDL=OFF -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build "$build" --target lexscore -j2 >/dev/null
"$build/bin/lexscore" "$@" data/voice/regras.rgr data/voice/portug.exc "$lexicon"
