#!/usr/bin/env bash
# Makes the Windows distribution: the programs cross-built for 32-bit
# Windows, the data tree a Linux build generates, the user's text and the
# batch installer, in build/windows-dist/galdrino/ and zipped as
# build/windows-dist/galdrino-windows.zip; and beside it the NSIS installer
# build/windows-dist/galdrino-<version>-instalar.exe (platform/win32/dist/
# galdrino.nsi), which also makes a Start-menu entry and an uninstaller.
#
#   galdrino/LEIAME.TXT          how to install, play and configure (pt-BR)
#   galdrino/LICENSE.TXT         the licence, GPL-3.0-or-later (the installer shows it)
#   galdrino/INSTALAR.BAT        copies talvek to C:\talvek, ZEBUNA.INI to %WINDIR%
#   galdrino/talvek/             C:\talvek: programs, recordings, voices, rules
#   galdrino/windows/ZEBUNA.INI  the configuration, for the Windows directory
#
# Build directories: ZEB_WIN_BUILD (cross build, default build/win32) and
# ZEB_HOST_BUILD (host build that generates the data, default
# build/win32-data); ZEB_DIST_DIR is the output (default build/windows-dist).
# ZEB_WERROR=ON makes warnings errors (the Wine checks' build); by default
# they are not, as in every build players make.
set -euo pipefail
cd "$(dirname "$0")/.."

win_build=${ZEB_WIN_BUILD:-build/win32}
host_build=${ZEB_HOST_BUILD:-build/win32-data}
dist_dir=${ZEB_DIST_DIR:-build/windows-dist}
jobs=${ZEB_JOBS:-$(nproc)}
werror=${ZEB_WERROR:-OFF}

fail() {
    echo "windows-dist: $*" >&2
    exit 1
}

build_data() {
    cmake -S . -B "$host_build" -DCMAKE_BUILD_TYPE=Release -DZEB_WITH_SDL=OFF \
        -DBUILD_TESTING=OFF -DZEB_WERROR="$werror" >/dev/null
    cmake --build "$host_build" -j"$jobs"
}

build_programs() {
    cmake -S . -B "$win_build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DZEB_WITH_SDL=OFF \
        -DZEB_WITH_DATA=OFF -DCMAKE_BUILD_TYPE=Release -DZEB_WERROR="$werror" >/dev/null
    cmake --build "$win_build" -j"$jobs"
}

# Windows-1252 with CR LF line ends, as Notepad and the console expect.
windows_text() {
    local from=$1 to=$2
    iconv -f UTF-8 -t CP1252 "$from" | sed 's/$/\r/' >"$to" || fail "cannot convert $from"
}

assemble() {
    local data=$host_build/share/galdrino root=$dist_dir/galdrino
    rm -rf "$root"
    mkdir -p "$root/windows"
    cp -r "$data/talvek" "$root/talvek"
    # The Linux tree holds the texts people edit in UTF-8; Windows has them
    # in Windows-1252: the configuration's source and the example lists.
    cp data/ZEBUNA.INI "$root/windows/ZEBUNA.INI"
    for list in animais.pal escola.pal; do
        windows_text "data/$list" "$root/talvek/som/quibo2/$list"
    done
    cp "$win_build/bin/galdrino.exe" "$win_build/bin/zebfala.exe" "$root/talvek/"
    # The built-in engine's synthesizer, when this tree builds it; the
    # programs load it from their own directory.
    if [ -f "$win_build/bin/mbrola.dll" ]; then
        cp "$win_build/bin/mbrola.dll" "$root/talvek/"
    else
        echo "windows-dist: no mbrola.dll in $win_build/bin, left out" >&2
    fi
    windows_text platform/win32/dist/leiame.txt "$root/LEIAME.TXT"
    windows_text LICENSE "$root/LICENSE.TXT"
    windows_text platform/win32/dist/INSTALAR.BAT "$root/INSTALAR.BAT"
}

check() {
    local root=$dist_dir/galdrino file
    for file in LEIAME.TXT LICENSE.TXT INSTALAR.BAT windows/ZEBUNA.INI talvek/galdrino.exe talvek/zebfala.exe \
        talvek/som/quibo2/galdrino.pal talvek/som/quibo2/animais.pal talvek/som/quibo2/GDINIC.wav talvek/som/letras/_65.wav \
        talvek/som/difones/ZEBVOZ.IND talvek/som/difones/ZEBVOZ.DIF; do
        [ -s "$root/$file" ] || fail "$file is missing from the distribution"
    done
}

# Every key of the sections players change, set or commented out in the
# shipped ZEBUNA.INI, is explained in LEIAME.TXT.
check_leiame() {
    local root=$dist_dir/galdrino key missing=()
    local keys
    keys=$(iconv -f CP1252 -t UTF-8 "$root/windows/ZEBUNA.INI" | tr -d '\r' | awk '
        /^\[/ { section = $0; next }
        section ~ /^\[(GALDRINO|TRADUTOR|VIDEO|BRAILLE|SERVFALA)\]$/ && /^;?[A-Z0-9]+=/ {
            sub(/^;/, ""); sub(/=.*/, ""); print
        }')
    [ -n "$keys" ] || fail "no keys found in ZEBUNA.INI"
    for key in $keys; do
        grep -qw "$key" "$root/LEIAME.TXT" || missing+=("$key")
    done
    [ ${#missing[@]} -eq 0 ] || fail "LEIAME.TXT does not explain ${missing[*]}"
}

# The NSIS installer's lists: per folder of talvek/, the files to copy
# (installer.nsh) and, deepest folder first, the files and folders to
# remove (uninstaller.nsh).
installer_lists() {
    local talvek=$1 out=$2 dir file windows_dir
    if find "$talvek" -name '*[$"]*' | grep -q .; then
        fail "a file name in $talvek holds a \$ or a quote, which NSIS would take as its own"
    fi
    : >"$out/installer.nsh"
    : >"$out/uninstaller.nsh"
    while IFS= read -r dir; do
        windows_dir=${dir#.}
        windows_dir=${windows_dir//\//\\}
        echo "SetOutPath \"\$INSTDIR${windows_dir}\"" >>"$out/installer.nsh"
        while IFS= read -r file; do
            echo "File \"$(realpath "$talvek/$dir/$file")\"" >>"$out/installer.nsh"
            echo "Delete \"\$INSTDIR${windows_dir}\\$file\"" >>"$out/uninstaller.nsh"
        done < <(find "$talvek/$dir" -mindepth 1 -maxdepth 1 -type f -printf '%f\n' | sort)
    done < <(cd "$talvek" && find . -type d | sort)
    (cd "$talvek" && find . -mindepth 1 -type d | sort -r) | while IFS= read -r dir; do
        windows_dir=${dir#.}
        echo "RMDir \"\$INSTDIR${windows_dir//\//\\}\"" >>"$out/uninstaller.nsh"
    done
}

make_installer() {
    local root=$dist_dir/galdrino lists=$dist_dir/nsis version
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$win_build/CMakeCache.txt")
    [ -n "$version" ] || fail "no project version in $win_build/CMakeCache.txt"
    rm -rf "$lists" "$dist_dir"/galdrino-*-instalar.exe
    mkdir -p "$lists"
    installer_lists "$root/talvek" "$lists"
    installer=$dist_dir/galdrino-$version-instalar.exe
    makensis -INPUTCHARSET UTF8 -V2 -DVERSION="$version" -DDIST="$(realpath "$root")" \
        -DFILES="$(realpath "$lists/installer.nsh")" -DUNFILES="$(realpath "$lists/uninstaller.nsh")" \
        -DOUTFILE="$(realpath -m "$installer")" platform/win32/dist/galdrino.nsi >"$lists/makensis.log" ||
        { cat "$lists/makensis.log" >&2; fail "makensis failed"; }
}

make_zip() {
    local zip_file=galdrino-windows.zip
    rm -f "$dist_dir/$zip_file"
    (cd "$dist_dir" && zip -q -r -X "$zip_file" galdrino)
    unzip -tq "$dist_dir/$zip_file" >/dev/null || fail "$zip_file does not test clean"
}

scripts/setup.sh
scripts/setup-windows.sh
build_data
build_programs
assemble
check
check_leiame
make_zip
make_installer
echo "windows-dist: $dist_dir/galdrino, $dist_dir/galdrino-windows.zip and $installer" \
    "($(find "$dist_dir/galdrino" -type f | wc -l) files)"
