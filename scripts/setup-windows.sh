#!/usr/bin/env bash
# Installs the Debian packages of the Windows build: the mingw-w64 cross
# compiler, GoogleTest's sources, zip and NSIS; with --wine also Wine (32-bit), a
# virtual X server and the tools that drive and photograph it. Safe to run
# again.
#   scripts/setup-windows.sh [--wine]
# Exit status 75 when everything but Wine's packages is installed: the last
# line on the standard error then says why Wine could not be installed.
set -euo pipefail
. "$(dirname "$0")/apt.sh"

build_packages=(mingw-w64 googletest zip nsis)
# Wine comes with its recommended packages (fonts, X extensions, the ALSA
# plugins): that is the setup the game was tried on.
wine_packages=()
if [ "${1:-}" = "--wine" ]; then
    wine_packages=(wine wine32:i386 xvfb xdotool imagemagick x11-utils)
fi

if [ ${#wine_packages[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${apt_sudo[@]}" dpkg --add-architecture i386
fi

mapfile -t missing_build < <(apt_missing "${build_packages[@]}")
mapfile -t missing_wine < <(apt_missing "${wine_packages[@]}")
if [ $((${#missing_build[@]} + ${#missing_wine[@]})) -eq 0 ]; then
    exit 0
fi

apt_refresh
if [ ${#missing_build[@]} -gt 0 ]; then
    apt_install --no-install-recommends "${missing_build[@]}"
fi
if [ ${#missing_wine[@]} -gt 0 ]; then
    log=$(mktemp)
    trap 'rm -f "$log"' EXIT
    if ! apt_install "${missing_wine[@]}" 2>&1 | tee "$log"; then
        reason=$(grep -m 1 '^E:' "$log" || tail -n 1 "$log")
        [ -n "$apt_refresh_failure" ] &&
            reason+=" (after the package lists could not be refreshed: $apt_refresh_failure)"
        echo "setup-windows: Wine could not be installed: ${reason:-apt-get failed}" >&2
        exit 75
    fi
fi
