#!/usr/bin/env bash
# Installs the Debian packages that make and check the Debian package:
# dpkg-shlibdeps for its dependencies, lintian, and the validators of its
# desktop entry and AppStream description. Safe to run again.
set -euo pipefail

packages=(dpkg-dev binutils lintian appstream desktop-file-utils)

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
