#!/usr/bin/env bash
# The Debian package on this machine, as a player gets it (run as root, or
# with sudo; CI runs it):
#   1. scripts/package.sh makes it;
#   2. lintian reports no error (its whole report is printed);
#   3. the desktop entry (without a warning or hint) and the AppStream
#      description validate, and the package recommends speech-dispatcher;
#   4. apt-get installs it with its dependencies;
#   5. the installed programs pass tests/install/installed.sh: a headless
#      round, zebfala with the native voice and the built-in engine, the
#      player's own ZEBUNA.INI, a damaged one;
#   6. purging it leaves none of its files or directories behind.
# ZEB_PACKAGE_BUILD as in scripts/package.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/apt.sh

build=${ZEB_PACKAGE_BUILD:-build/package}
out=$(realpath -m "${ZEB_PACKAGE_CHECKS_DIR:-build/package-checks}")

fail() {
    echo "package-checks: FAIL: $*" >&2
    exit 1
}

mkdir -p "$out"
scripts/package.sh >"$out/package.log" 2>&1 || { tail -n 40 "$out/package.log" >&2; fail "scripts/package.sh failed"; }
package=$(realpath "$(ls "$build"/galdrino_*.deb)")
echo "package-checks: $package ($(stat -c %s "$package") bytes)"
dpkg-deb --field "$package" Package Version Depends Recommends
for recommended in speech-dispatcher speech-dispatcher-espeak-ng; do
    dpkg-deb --field "$package" Recommends | tr -d ' ' | tr ',' '\n' | grep -qx "$recommended" ||
        fail "the package does not recommend $recommended"
done

echo "package-checks: lintian"
lintian --fail-on error --display-info "$package" | tee "$out/lintian.txt" ||
    fail "lintian reports errors, see $out/lintian.txt"
echo "package-checks: lintian: $(grep -c '^E:' "$out/lintian.txt" || true) errors," \
    "$(grep -c '^W:' "$out/lintian.txt" || true) warnings"

apt_install "$package" >"$out/install.log" 2>&1 ||
    { cat "$out/install.log" >&2; fail "apt-get could not install the package"; }
dpkg-query -L galdrino >"$out/files.txt"
echo "package-checks: installed, $(wc -l <"$out/files.txt") paths"

# Not even a hint: a second main category would list the game twice.
validation=$(desktop-file-validate /usr/share/applications/org.galdrino.Galdrino.desktop 2>&1) ||
    fail "the desktop entry does not validate: $validation"
[ -z "$validation" ] || fail "the desktop entry has warnings: $validation"
appstreamcli validate --no-net --explain /usr/share/metainfo/org.galdrino.Galdrino.metainfo.xml ||
    fail "the AppStream description does not validate"
for icon in 48 64 128 256; do
    [ -s "/usr/share/icons/hicolor/${icon}x${icon}/apps/galdrino.png" ] || fail "no ${icon}x${icon} icon"
done

bash tests/install/installed.sh /usr || fail "the installed programs failed their checks"

"${apt_sudo[@]}" apt-get purge -y -qq galdrino >"$out/purge.log" 2>&1 ||
    { cat "$out/purge.log" >&2; fail "apt-get could not purge the package"; }
if dpkg-query -W -f='${Status}\n' galdrino 2>/dev/null | grep -qv 'not-installed'; then
    fail "dpkg still knows the package after the purge: $(dpkg-query -W -f='${Status}' galdrino)"
fi
# What the package held and is still there: directories that other packages
# also own (/usr/share/icons/... ) are not its own.
left=()
while IFS= read -r path; do
    [ -e "$path" ] || continue
    if [ -d "$path" ] && dpkg-query -S "$path" >/dev/null 2>&1; then
        continue
    fi
    left+=("$path")
done <"$out/files.txt"
[ ${#left[@]} -eq 0 ] || fail "the purge left ${left[*]}"
echo "package-checks: purged, nothing left behind"
echo "package-checks: all passed"
