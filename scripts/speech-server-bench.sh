#!/usr/bin/env bash
# Measures the SAPI server kinds against a private speech-dispatcher (its
# own configuration, socket, the espeak-ng module, ALSA's null device) and
# prints the figures. Usage: scripts/speech-server-bench.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/test}
bench=$build/bin/speech-server-bench
[ -x "$bench" ] || cmake --build "$build" --target speech-server-bench >/dev/null
work=$(mktemp -d)
source scripts/private-speechd.sh
trap 'private_speechd_stop; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM
private_speechd_start "$work"
timeout 600 "$bench"
