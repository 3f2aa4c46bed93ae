#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, generate its data
# and run its tests, and those named as arguments. Safe to run again.
set -euo pipefail
. "$(dirname "$0")/apt.sh"

packages=(
  build-essential cmake pkg-config
  libgtest-dev
  libsdl2-dev libsdl2-ttf-dev libfontconfig-dev fonts-dejavu-core
  espeak-ng libespeak-ng-dev
  libspeechd-dev speech-dispatcher speech-dispatcher-espeak-ng speech-dispatcher-audio-plugins
  pulseaudio
  zlib1g-dev libebur128-dev
  desktop-file-utils
  "$@"
)

mapfile -t missing < <(apt_missing "${packages[@]}")
if [ ${#missing[@]} -gt 0 ]; then
  apt_refresh
  apt_install --no-install-recommends "${missing[@]}"
fi
