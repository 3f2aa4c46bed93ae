#!/usr/bin/env bash
# Installs the Debian packages of the Windows build: the mingw-w64 cross
# compiler, GoogleTest's sources, zip and NSIS; with --wine also Wine (32-bit), a
# virtual X server and the tools that drive and photograph it. Safe to run
# again.
#   scripts/setup-windows.sh [--wine]
set -euo pipefail

build_packages=(mingw-w64 googletest zip nsis)
# Wine comes with its recommended packages (fonts, X extensions, the ALSA
# plugins): that is the setup the game was tried on.
wine_packages=()
if [ "${1:-}" = "--wine" ]; then
    wine_packages=(wine wine32:i386 xvfb xdotool imagemagick x11-utils)
fi

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

missing_of() {
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
    done
}

if [ ${#wine_packages[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
fi

mapfile -t missing_build < <(missing_of "${build_packages[@]}")
mapfile -t missing_wine < <(missing_of "${wine_packages[@]}")
if [ $((${#missing_build[@]} + ${#missing_wine[@]})) -eq 0 ]; then
    exit 0
fi

"${sudo_cmd[@]}" apt-get update -qq
if [ ${#missing_build[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing_build[@]}"
fi
if [ ${#missing_wine[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing_wine[@]}"
fi
