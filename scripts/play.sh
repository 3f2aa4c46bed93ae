#!/usr/bin/env bash
# Sets everything up, builds the game with its data and starts it. Warnings
# do not stop the build: a newer compiler may find new ones.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DZEB_WERROR=OFF >/dev/null
cmake --build build/release -j"$(nproc)"
exec build/release/bin/galdrino
