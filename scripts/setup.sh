#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, generate its data
# and run its tests, and those named as arguments. Safe to run again.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtest-dev
  libsdl2-dev libsdl2-ttf-dev libfontconfig-dev fonts-dejavu-core
  espeak-ng libespeak-ng-dev
  libspeechd-dev speech-dispatcher speech-dispatcher-espeak-ng speech-dispatcher-audio-plugins
  pulseaudio
  zlib1g-dev
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
