#!/usr/bin/env bash
# The Windows build under Wine, on a virtual X display:
#   1. the distribution (scripts/windows-dist.sh) and the test program;
#   2. the test program zeb_tests.exe;
#   3. INSTALAR.BAT installs the distribution into a fresh Wine C: drive;
# Logs are left in build/wine-checks/.
#
# Build directories as in scripts/windows-dist.sh: ZEB_WIN_BUILD (default
# build/win32) and ZEB_HOST_BUILD (default build/win32-data); ZEB_WINE_DIR
# is the artifacts' directory.
set -euo pipefail
cd "$(dirname "$0")/.."

win_build=${ZEB_WIN_BUILD:-build/win32}
host_build=${ZEB_HOST_BUILD:-build/win32-data}
out=$(realpath -m "${ZEB_WINE_DIR:-build/wine-checks}")
dist=${ZEB_DIST_DIR:-build/windows-dist}
jobs=${ZEB_JOBS:-$(nproc)}

xvfb_pid=
game_pid=
failed_check=

fail() {
    echo "wine-checks: FAIL${failed_check:+ ($failed_check)}: $*" >&2
    exit 1
}

cleanup() {
    if [ -n "$game_pid" ]; then
        kill "$game_pid" 2>/dev/null || true
    fi
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        timeout 30 wineserver -k 2>/dev/null || true
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT

# Waits up to $1 seconds for the command in the remaining arguments to succeed.
wait_for() {
    local seconds=$1
    shift
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        [ $SECONDS -ge $deadline ] && return 1
        sleep 0.2
    done
}

check_started=0
begin() {
    failed_check=$1
    check_started=$SECONDS
    echo "wine-checks: $1"
}
passed() {
    echo "wine-checks: ok: $failed_check ($((SECONDS - check_started)) s)${1:+: $*}"
    failed_check=
}

# ---- builds ----------------------------------------------------------------

build() {
    begin "distribution and test program"
    ZEB_WIN_BUILD=$win_build ZEB_HOST_BUILD=$host_build ZEB_DIST_DIR=$dist ZEB_JOBS=$jobs \
        scripts/windows-dist.sh >"$out/build.log" 2>&1 || fail "the build failed, see $out/build.log"
    cmake -S . -B "$win_build" -DZEB_WIN_TESTS=ON >>"$out/build.log" 2>&1 &&
        cmake --build "$win_build" -j"$jobs" >>"$out/build.log" 2>&1 ||
        fail "the test program did not build, see $out/build.log"
    passed
}

# ---- Wine on a virtual display -----------------------------------------------

start_display() {
    rm -f "$out/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$out/display" 2>"$out/xvfb.log" &
    xvfb_pid=$!
    wait_for 20 grep -qx '[0-9][0-9]*' "$out/display" ||
        fail "Xvfb did not start: $(cat "$out/xvfb.log")"
    export DISPLAY=":$(head -n 1 "$out/display")"
}

# A fresh 32-bit prefix; the home directory holds the ALSA setup: the
# default device writes what it is given to a file and to no sound card.
start_wine() {
    begin "fresh Wine prefix"
    export WINEPREFIX=$out/prefix WINEARCH=win32 WINEDEBUG=-all
    export HOME=$out/home
    rm -rf "$WINEPREFIX" "$HOME"
    mkdir -p "$HOME"
    cat >"$HOME/.asoundrc" <<ALSA
pcm.!default {
    type file
    slave.pcm "null"
    file "$out/wave-out.raw"
    format "raw"
}
ALSA
    # No downloads of Wine's .NET and HTML engines: the programs need neither.
    WINEDLLOVERRIDES="mscoree=;mshtml=" timeout 180 wineboot -i >"$out/wineboot.log" 2>&1 ||
        fail "wineboot failed, see $out/wineboot.log"
    timeout 60 wineserver -w || fail "the Wine server did not settle"
    drive_c=$WINEPREFIX/drive_c
    passed
}

# ---- checks --------------------------------------------------------------------

unit_tests() {
    begin "test program"
    timeout 900 wine "$win_build/bin/zeb_tests.exe" --gtest_brief=1 >"$out/zeb_tests.log" 2>&1 ||
        { tail -n 40 "$out/zeb_tests.log" >&2; fail "zeb_tests.exe failed, see $out/zeb_tests.log"; }
    passed "$(grep -a 'PASSED' "$out/zeb_tests.log" | tr -d '\r')"
}

install_distribution() {
    begin "INSTALAR.BAT"
    (cd "$dist/galdrino" && timeout 120 wine cmd /c INSTALAR.BAT) >"$out/install.log" 2>&1 ||
        fail "INSTALAR.BAT failed: $(tr -d '\r' <"$out/install.log")"
    local file
    for file in talvek/galdrino.exe talvek/zebfala.exe talvek/som/quibo2/galdrino.pal \
        talvek/som/difones/ZEBVOZ.DIF windows/ZEBUNA.INI; do
        [ -f "$drive_c/$file" ] || fail "C:\\$file was not installed"
    done
    cmp -s "$dist/galdrino/windows/ZEBUNA.INI" "$drive_c/windows/ZEBUNA.INI" ||
        fail "the installed ZEBUNA.INI differs from the distribution's"
    passed
}

all_started=$SECONDS
scripts/setup.sh
scripts/setup-windows.sh --wine
mkdir -p "$out"
build
start_display
start_wine
unit_tests
install_distribution
echo "wine-checks: all passed in $((SECONDS - all_started)) s"
