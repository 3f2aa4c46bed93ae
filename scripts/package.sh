#!/usr/bin/env bash
# Makes the Debian package: a Release build for the prefix /usr, without the
# tests and with warnings allowed (as every build players make), packed by
# CPack's DEB generator. Prints the package's path, for example
# build/package/galdrino_1.0.0_amd64.deb, which installs with
#   sudo apt install ./build/package/galdrino_1.0.0_amd64.deb
# ZEB_PACKAGE_BUILD is the build directory (default build/package).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${ZEB_PACKAGE_BUILD:-build/package}
jobs=${ZEB_JOBS:-$(nproc)}

# dpkg-shlibdeps and strip make the package; lintian and the validators of
# the desktop entry and the AppStream file check it (scripts/package-checks.sh).
scripts/setup.sh dpkg-dev binutils lintian appstream desktop-file-utils
# Debian's build flags (hardening included), and the programs in /usr/games
# as Debian keeps its games.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS)
cflags="$(dpkg-buildflags --get CFLAGS) $cppflags"
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $cppflags"
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_INSTALL_BINDIR=games -DBUILD_TESTING=OFF -DZEB_WERROR=OFF \
  -DCMAKE_C_FLAGS="$cflags" -DCMAKE_CXX_FLAGS="$cxxflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" -j"$jobs"
rm -f "$build"/galdrino_*.deb
(cd "$build" && cpack -G DEB >cpack.log) || {
  cat "$build/cpack.log" >&2
  exit 1
}
package=$(ls "$build"/galdrino_*.deb)
echo "package: $package"
