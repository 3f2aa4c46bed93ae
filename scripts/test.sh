#!/usr/bin/env bash
# Sets everything up, builds and runs the whole test suite, then runs it again
# in a build with the address and undefined-behaviour sanitizers. Warnings
# are errors in both.
set -euo pipefail
cd "$(dirname "$0")/.."
# A virtual display and the tools that type into it, and a sound server to
# play through, for the SDL program's tests.
scripts/setup.sh xvfb xdotool imagemagick pulseaudio pulseaudio-utils
jobs=$(nproc)

cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DZEB_WERROR=ON >/dev/null
cmake --build build/test -j"$jobs"
ctest --test-dir build/test --output-on-failure -j"$jobs"

cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DZEB_WERROR=ON -DZEB_SANITIZE=ON \
    -DZEB_WITH_SDL=OFF >/dev/null
cmake --build build/asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build/asan --output-on-failure -j"$jobs"
