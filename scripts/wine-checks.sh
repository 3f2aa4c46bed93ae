#!/usr/bin/env bash
# The Windows build under Wine, on a virtual X display:
#   1. the distribution (scripts/windows-dist.sh) and the test program;
#   2. the test program zeb_tests.exe;
#   3. INSTALAR.BAT installs the distribution into a fresh Wine C: drive;
#   4. files the Windows programs write are byte-identical to the Linux
#      build's: zebfala's WAV of the native voice and of the built-in engine,
#      and the headless game's transcript;
# Artifacts (logs, written files) are left in build/wine-checks/.
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

# Runs a command for Windows and its Linux counterpart; both must write the
# same bytes to their output file.
same_file() {
    local what=$1 windows_out=$2 linux_out=$3
    shift 3
    local split
    for split in $(seq 1 $#); do [ "${!split}" = "--" ] && break; done
    local windows_cmd=("${@:1:split-1}") linux_cmd=("${@:split+1}")
    rm -f "$windows_out" "$linux_out"
    timeout 120 "${windows_cmd[@]}" >>"$out/same-files.log" 2>&1 ||
        fail "$what: the Windows program failed, see $out/same-files.log"
    timeout 120 "${linux_cmd[@]}" >>"$out/same-files.log" 2>&1 ||
        fail "$what: the Linux program failed, see $out/same-files.log"
    [ -s "$windows_out" ] || fail "$what: the Windows program wrote nothing"
    cmp "$windows_out" "$linux_out" || fail "$what: the files differ"
    echo "wine-checks:   $what: $(stat -c %s "$windows_out") identical bytes"
}

same_files() {
    begin "files written by the Windows and Linux builds"
    local text="Tenho 25 anos, e a casa amarela custa R\$ 1.500,00."
    local linux_env=(env ZEBUNA_ROOT="$(realpath "$host_build/share/galdrino")")
    : >"$out/same-files.log"
    same_file "zebfala -w, native voice" "$out/fala-windows.wav" "$out/fala-linux.wav" \
        wine 'C:\talvek\zebfala.exe' -w "$out/fala-windows.wav" "$text" -- \
        "${linux_env[@]}" "$host_build/bin/zebfala" -w "$out/fala-linux.wav" "$text"
    if [ -f "$drive_c/talvek/mbrola.dll" ]; then
        same_file "zebfala --engine quelo -w, built-in engine" \
            "$out/quelo-windows.wav" "$out/quelo-linux.wav" \
            wine 'C:\talvek\zebfala.exe' --engine quelo -w "$out/quelo-windows.wav" "$text" -- \
            "${linux_env[@]}" "$host_build/bin/zebfala" --engine quelo -w "$out/quelo-linux.wav" "$text"
    else
        echo "wine-checks:   no mbrola.dll: the built-in engine's output is not compared"
    fi
    # The transcript, but for the program's own path in the first title line
    # and the line ends of the Windows console.
    local keys='aeiou{ESC}n'
    timeout 120 wine "$win_build/bin/galdrino-headless.exe" --seed 42 --keys "$keys" --screen |
        tr -d '\r' | grep -v '^title .*galdrino-headless' >"$out/transcript-windows.txt" ||
        fail "galdrino-headless.exe failed"
    "${linux_env[@]}" "$host_build/bin/galdrino-headless" --seed 42 --keys "$keys" --screen |
        grep -v '^title .*galdrino-headless' >"$out/transcript-linux.txt" ||
        fail "galdrino-headless failed"
    grep -q '^exit 0$' "$out/transcript-linux.txt" || fail "the Linux headless game did not end"
    cmp "$out/transcript-windows.txt" "$out/transcript-linux.txt" ||
        fail "the headless transcripts differ: diff $out/transcript-windows.txt $out/transcript-linux.txt"
    echo "wine-checks:   headless transcript: $(wc -l <"$out/transcript-windows.txt") identical lines"
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
same_files
echo "wine-checks: all passed in $((SECONDS - all_started)) s"
