# Sourced by scripts/wine-checks.sh: the SAPI clients of the Windows
# programs through real COM. Wine has no working SAPI 5 voice and no SAPI 4,
# so two stand-in engines of our own (tests/win32, built with the test
# program) stand in for the voices and engines of a Windows machine: they
# are registered in the test prefix under the engines' class identifiers,
# log every call they receive with its arguments, and speak each text for
# a set time. What the checks verify:
#   - with no engine registered (SAPI 4 and the second SAPI 5 class; SAPI 5
#     with Wine's own voice class) the game starts no server and the native
#     voice reads the word: the transcript is the native-voice game's;
#   - registered, a headless game of each kind (5, 54, 4) makes the calls
#     in the expected order: the start with VOZ and VELOCIDADE (and TOM for
#     SAPI 4), the word, busy until the engine is done (the next recording
#     after its end), a key cutting it (typed when the engine begins; the
#     next key answers the play-again question), and the close with every
#     object released; the notifications and events arrive on the
#     program's thread from its message pump;
#   - zebfala.exe lists the voices of each kind and speaks through them;
#   - refused or failing calls (E_NOTIMPL, a refused rate, a failing speak,
#     register, text or reset, no voice installed): the game goes on as the
#     clients' failure handling says;
#   - galdrino.exe, in its window, with TIPOSAPI 4 (sapi_window_setup before
#     the windowed game, sapi_window_verify after it).
# Uses from wine-checks.sh: fail, begin, passed, $out, $drive_c, $win_build.

sapi_dir=
sapi_installed_ini=
sapi_seed=42

readonly sapi_ok=' -> 0x00000000'
readonly sapi_pump='[creating thread, message pump]'

# The installed ZEBUNA.INI with SAPI=S and a [SERVFALA] of our own:
# sapi_ini FILE KIND VOZ VELOCIDADE TOM. Windows-1252 and CR LF kept.
sapi_ini() {
    local file=$1 kind=$2 voice=$3 rate=$4 pitch=$5
    LC_ALL=C awk -v kind="$kind" -v voice="$voice" -v rate="$rate" -v pitch="$pitch" '
        { sub(/\r$/, "") }
        /^\[/ { section = toupper($0) }
        section == "[SERVFALA]" { next }
        section == "[TRADUTOR]" && toupper($0) ~ /^SAPI=/ { $0 = "SAPI=S" }
        { printf "%s\r\n", $0 }
        END {
            printf "[SERVFALA]\r\nTIPOSAPI=%s\r\nVOZ=%s\r\nVELOCIDADE=%s\r\nTOM=%s\r\n",
                kind, voice, rate, pitch
        }' "$sapi_installed_ini" >"$file"
}

# A headless game: sapi_game NAME INI KEYS [VAR=VALUE...] (the stand-ins'
# settings). Leaves NAME.txt (the transcript) and NAME.log (the calls).
sapi_game() {
    local name=$1 ini=$2 keys=$3
    shift 3
    local code=0
    rm -f "$sapi_dir/$name.log"
    env ZEB_STANDIN_LOG="Z:$sapi_dir/$name.log" "$@" \
        timeout 120 wine "$win_build/bin/galdrino-headless.exe" --config "Z:$ini" \
        --seed "$sapi_seed" --keys "$keys" >"$sapi_dir/$name.raw" 2>"$sapi_dir/$name.err" || code=$?
    tr -d '\r' <"$sapi_dir/$name.raw" | grep -v '^title .*galdrino-headless' >"$sapi_dir/$name.txt"
    [ "$code" -eq 0 ] || fail "$name: galdrino-headless.exe ended with $code, see $sapi_dir/$name.err"
    touch "$sapi_dir/$name.log"
}

# zebfala.exe: sapi_zebfala NAME EXPECTED_CODE ARGS... [-- VAR=VALUE...].
sapi_zebfala() {
    local name=$1 expected=$2
    shift 2
    local args=() settings=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do
        args+=("$1")
        shift
    done
    [ $# -gt 0 ] && shift
    settings=("$@")
    local code=0
    rm -f "$sapi_dir/$name.log"
    env ZEB_STANDIN_LOG="Z:$sapi_dir/$name.log" "${settings[@]}" \
        timeout 60 wine "$drive_c/talvek/zebfala.exe" "${args[@]}" \
        >"$sapi_dir/$name.raw" 2>"$sapi_dir/$name.err" || code=$?
    tr -d '\r' <"$sapi_dir/$name.raw" >"$sapi_dir/$name.txt"
    [ "$code" -eq "$expected" ] ||
        fail "$name: zebfala.exe ended with $code, not $expected: $(tr -d '\r' <"$sapi_dir/$name.err")"
    touch "$sapi_dir/$name.log"
}

sapi_same_as_native() { # NAME
    cmp -s "$sapi_dir/$1.txt" "$sapi_dir/native.txt" ||
        fail "$1: not the native voice's game: diff $sapi_dir/$1.txt $sapi_dir/native.txt"
}

sapi_logged() { # NAME LINE: the exact line is in NAME.log
    grep -qxF -- "$2" "$sapi_dir/$1.log" || fail "$1: the stand-in did not log '$2', see $sapi_dir/$1.log"
}

sapi_in_transcript() { # NAME LINE
    grep -qxF -- "$2" "$sapi_dir/$1.txt" || fail "$1: no '$2' in $sapi_dir/$1.txt"
}

# The calls of NAME.log without the events and notifications, and with the
# word of the round written WORD, against NAME.expected.
sapi_calls_are() { # NAME
    local name=$1 word
    word=$(sed -n 's/^engine speak //p' "$sapi_dir/$name.txt" | head -n 1)
    [ -n "$word" ] || fail "$name: the game handed no text to the engine"
    grep -v -e ' event ' -e "\\$sapi_pump" "$sapi_dir/$name.log" | sed "s/\"$word\"/\"WORD\"/" |
        sed "s/^\\(sapi4 TextData 0 0 \\)$((${#word} + 1)) /\\1N /" >"$sapi_dir/$name.calls"
    diff -u "$sapi_dir/$name.expected" "$sapi_dir/$name.calls" >"$sapi_dir/$name.diff" ||
        fail "$name: calls not as expected: $(cat "$sapi_dir/$name.diff")"
}

# Every notification or event was delivered on the program's thread from its
# message pump, and there was at least one of `first`.
sapi_delivered_on_main_thread() { # NAME FIRST
    if grep -e '\[other thread' -e '\[creating thread\]' "$sapi_dir/$1.log" >/dev/null; then
        fail "$1: a notification came outside the program's message pump, see $sapi_dir/$1.log"
    fi
    grep -q -- "$2.*$sapi_pump" "$sapi_dir/$1.log" || fail "$1: no $2 from the message pump"
}

# After the engine's text the next sound waits for its end (busy until done).
sapi_next_sound_after_end() { # NAME
    awk '/^engine speak / { spoken = 1; next }
         spoken && /^engine end$/ { ended = 1 }
         spoken && /^sound / { exit !ended }
         END { if (!spoken) exit 1 }' "$sapi_dir/$1.txt" ||
        fail "$1: a recording played before the engine's end, see $sapi_dir/$1.txt"
}

sapi5_start_calls() { # CLASS
    cat <<EOF
sapi5 CreateInstance $1 {269316D8-57BD-11D2-9EEE-00C04F797396}$sapi_ok
sapi5 FindConnectionPoint {A372ACD1-3BEF-4BBD-8FFB-CB3E2B416AF8}$sapi_ok
sapi5 Advise$sapi_ok
sapi5 put_EventInterests 33790$sapi_ok
sapi5 GetVoices "" ""$sapi_ok
sapi5 Tokens.get_Count 3$sapi_ok
sapi5 Tokens.Item 1$sapi_ok
sapi5 putref_Voice Beta$sapi_ok
sapi5 put_Rate 3$sapi_ok
sapi5 SpeakCompleteEvent$sapi_ok
sapi5 Speak 17 "WORD"$sapi_ok
EOF
}

sapi4_start_calls() {
    cat <<EOF
sapi4 CreateInstance {CB96B400-C743-11CD-80E5-00AA003E4B50} {B68AD320-C743-11CD-80E5-00AA003E4B50}$sapi_ok
sapi4 CreateInstance {D67C0280-C743-11CD-80E5-00AA003E4B50} {05EB6C6D-DBAB-11CD-B3CA-00AA0047BA4F}$sapi_ok
sapi4 Reset$sapi_ok
sapi4 Next 1 Alpha$sapi_ok
sapi4 Next 1 Beta$sapi_ok
sapi4 Select {5A4D0002-5354-4E44-494E-454E47494E45} Beta$sapi_ok
sapi4 Register {05EB6C6F-DBAB-11CD-B3CA-00AA0047BA4F}$sapi_ok
sapi4 QueryInterface {0FD6E2A1-E77D-11CD-B3CA-00AA0047BA4F}$sapi_ok
sapi4 SpeedSet 150$sapi_ok
sapi4 PitchSet 90$sapi_ok
sapi4 TextData 0 0 N {E4963D40-C743-11CD-80E5-00AA003E4B50} "WORD"$sapi_ok
EOF
}

sapi4_close_calls() { # STATE: idle, or empty when the engine may still be dropping the text
    cat <<EOF
sapi4 enumerator destroyed
sapi4 UnRegister 1$sapi_ok
sapi4 engine Beta destroyed${1:+ $1}, 0 sinks registered
sapi4 audio destination destroyed
EOF
}

sapi_register() {
    local dll
    for dll in zebsapi5 zebsapi4; do
        timeout 60 wine regsvr32 /s "Z:$(realpath "$win_build/standins/$dll.dll")" ||
            fail "regsvr32 could not register $dll.dll"
    done
}

sapi_checks() {
    begin "SAPI clients through COM, with stand-in engines"
    sapi_dir=$out/sapi
    rm -rf "$sapi_dir"
    mkdir -p "$sapi_dir"
    sapi_installed_ini=$drive_c/windows/ZEBUNA.INI
    local ended='aeiou{ESC}n' cut='aeiou{ESC}{SPEAKING}xn' kind

    sapi_ini "$sapi_dir/sapi5.ini" 5 2 3 0
    sapi_ini "$sapi_dir/sapi54.ini" 54 2 3 0
    sapi_ini "$sapi_dir/sapi4.ini" 4 2 150 90
    sapi_game native "$sapi_installed_ini" "$ended"
    grep -qx 'exit 0' "$sapi_dir/native.txt" || fail "the native-voice game did not end"

    # No engine of ours yet: Wine has no SAPI 4 and no second SAPI 5 class,
    # and its own SAPI 5 voice class cannot speak.
    for kind in 4 54 5; do
        sapi_game "unregistered$kind" "$sapi_dir/sapi$kind.ini" "$ended"
        sapi_same_as_native "unregistered$kind"
    done
    sapi_zebfala voices-none 1 --voices --engine sapi4

    sapi_register

    # The games, listened to the end and cut by a key.
    for kind in 5 54; do
        local class='{96749377-3391-11D2-9EE3-00C04F797396}'
        [ "$kind" = 54 ] && class='{D941651C-44E6-4C17-BADF-C36826FC3424}'
        sapi_game "game$kind" "$sapi_dir/sapi$kind.ini" "$ended"
        {
            sapi5_start_calls "$class"
            echo "sapi5 Unadvise$sapi_ok"
            echo 'sapi5 voice destroyed idle'
        } >"$sapi_dir/game$kind.expected"
        sapi_calls_are "game$kind"
        sapi_next_sound_after_end "game$kind"
        sapi_delivered_on_main_thread "game$kind" 'event StartStream'
        sapi_game "cut$kind" "$sapi_dir/sapi$kind.ini" "$cut"
        {
            sapi5_start_calls "$class"
            echo "sapi5 Speak 2 \" \"$sapi_ok"
            echo "sapi5 Unadvise$sapi_ok"
            echo 'sapi5 voice destroyed idle'
        } >"$sapi_dir/cut$kind.expected"
        sapi_calls_are "cut$kind"
        sapi_in_transcript "cut$kind" 'engine cancel'
    done
    sapi_game game4 "$sapi_dir/sapi4.ini" "$ended"
    {
        sapi4_start_calls
        sapi4_close_calls idle
    } >"$sapi_dir/game4.expected"
    sapi_calls_are game4
    sapi_next_sound_after_end game4
    sapi_delivered_on_main_thread game4 TextDataDone
    for note in TextDataStarted AudioStart 'WordPosition 0' TextDataDone AudioStop; do
        sapi_logged game4 "sapi4 $note $sapi_pump$sapi_ok"
    done
    sapi_game cut4 "$sapi_dir/sapi4.ini" "$cut"
    # What the engine reports of the dropped text may come after the close.
    sed -i -e '/TextDataDone (dropped)/d' -e '/sapi4 AudioStop/d' \
        -e 's/destroyed \(idle\|speaking\), /destroyed, /' "$sapi_dir/cut4.log"
    {
        sapi4_start_calls
        echo "sapi4 AudioReset$sapi_ok"
        sapi4_close_calls
    } >"$sapi_dir/cut4.expected"
    sapi_calls_are cut4
    sapi_in_transcript cut4 'engine cancel'

    # zebfala.exe: the voices of each kind, and a text spoken.
    sapi_zebfala voices5 0 --voices --engine sapi5
    printf '1\tAlpha\tpt-BR\n2\tBeta\tpt-BR\n3\tGamma\ten-US\n' >"$sapi_dir/voices5.expected"
    cmp -s "$sapi_dir/voices5.expected" "$sapi_dir/voices5.txt" ||
        fail "zebfala --voices: $(cat "$sapi_dir/voices5.txt")"
    sapi_zebfala voices54 0 --voices --engine sapi54
    cmp -s "$sapi_dir/voices5.txt" "$sapi_dir/voices54.txt" || fail "zebfala --voices --engine sapi54"
    sapi_zebfala voices4 0 --voices --engine sapi4
    [ "$(cut -f 2 "$sapi_dir/voices4.txt" | tr '\n' ' ')" = 'Alpha Beta Gamma ' ] ||
        fail "zebfala --voices --engine sapi4: $(cat "$sapi_dir/voices4.txt")"
    sapi_zebfala speak5 0 --engine sapi5 --voz 3 --velocidade -5 "Ola, casa"
    sapi_logged speak5 "sapi5 putref_Voice Gamma$sapi_ok"
    sapi_logged speak5 "sapi5 put_Rate -5$sapi_ok"
    sapi_logged speak5 "sapi5 Speak 17 \"Ola, casa\"$sapi_ok"
    sapi_logged speak5 'sapi5 voice destroyed idle'
    # The text as typed (the ANSI code page on Windows), and voice names
    # with accents.
    sapi_zebfala speak-accents 0 --engine sapi54 --voz 1 "Olá, ação"
    sapi_logged speak-accents "sapi5 Speak 17 \"Olá, ação\"$sapi_ok"
    sapi_zebfala voices-accents 0 --voices --engine sapi5 -- ZEB_STANDIN_VOICES=Márcia:416
    printf '1\tMárcia\tpt-BR\n' >"$sapi_dir/voices-accents.expected"
    cmp -s "$sapi_dir/voices-accents.expected" "$sapi_dir/voices-accents.txt" ||
        fail "zebfala --voices, a name with accents: $(cat "$sapi_dir/voices-accents.txt")"
    sapi_zebfala speak4 0 --engine sapi4 --voz 1 --velocidade 120 --tom 80 "casa"
    sapi_logged speak4 "sapi4 TextData 0 0 5 {E4963D40-C743-11CD-80E5-00AA003E4B50} \"casa\"$sapi_ok"
    sapi_logged speak4 "sapi4 AudioStop $sapi_pump$sapi_ok"
    sapi_logged speak4 'sapi4 engine Alpha destroyed idle, 0 sinks registered'

    sapi_refusals
    passed "$(find "$sapi_dir" -name '*.txt' | wc -l) runs"
}

# Calls an engine refuses, and engines without voices: the clients go on as
# their failure handling says.
sapi_refusals() {
    local ended='aeiou{ESC}n' cut='aeiou{ESC}{SPEAKING}xn'
    # SAPI 5: a refused rate and an event interest it does not implement
    # are ignored; a failing speak beeps and the game goes on; no voice
    # installed starts no server.
    sapi_game rate-refused "$sapi_dir/sapi5.ini" "$ended" ZEB_STANDIN_FAIL=put_Rate=80070057
    sapi_logged rate-refused "sapi5 put_Rate 3 -> 0x80070057"
    sapi_in_transcript rate-refused 'engine end'
    sapi_game interests-notimpl "$sapi_dir/sapi54.ini" "$ended" \
        ZEB_STANDIN_FAIL=put_EventInterests=80004001
    sapi_logged interests-notimpl "sapi5 put_EventInterests 33790 -> 0x80004001"
    sapi_in_transcript interests-notimpl 'engine end'
    sapi_game speak-fails "$sapi_dir/sapi5.ini" "$ended" ZEB_STANDIN_FAIL=Speak=80004005
    sapi_in_transcript speak-fails 'beep'
    sapi_in_transcript speak-fails 'exit 0'
    sapi_game no-voice5 "$sapi_dir/sapi5.ini" "$ended" ZEB_STANDIN_VOICES=none
    sapi_logged no-voice5 "sapi5 Tokens.get_Count 0$sapi_ok"
    sapi_same_as_native no-voice5
    # SAPI 4: refused attributes are ignored; a failing Register ends the
    # start with everything released; a failing text or reset leaves the
    # game going on; no engine mode starts no server.
    sapi_game attributes-notimpl "$sapi_dir/sapi4.ini" "$ended" \
        ZEB_STANDIN_FAIL=SpeedSet=80004001,PitchSet=80004001
    sapi_logged attributes-notimpl "sapi4 SpeedSet 150 -> 0x80004001"
    sapi_in_transcript attributes-notimpl 'engine end'
    sapi_game register-fails "$sapi_dir/sapi4.ini" "$ended" ZEB_STANDIN_FAIL=Register=80004005
    sapi_logged register-fails "sapi4 Register {05EB6C6F-DBAB-11CD-B3CA-00AA0047BA4F} -> 0x80004005"
    sapi_logged register-fails 'sapi4 engine Beta destroyed idle, 0 sinks registered'
    sapi_logged register-fails 'sapi4 enumerator destroyed'
    sapi_logged register-fails 'sapi4 audio destination destroyed'
    sapi_same_as_native register-fails
    sapi_game text-fails "$sapi_dir/sapi4.ini" "$ended" ZEB_STANDIN_FAIL=TextData=80004005
    grep -q '^sapi4 TextData .* -> 0x80004005$' "$sapi_dir/text-fails.log" ||
        fail "text-fails: TextData was not refused"
    sapi_in_transcript text-fails 'exit 0'
    sapi_game reset-fails "$sapi_dir/sapi4.ini" "$cut" ZEB_STANDIN_FAIL=AudioReset=80004005
    sapi_logged reset-fails "sapi4 AudioReset -> 0x80004005"
    sapi_in_transcript reset-fails 'exit 0'
    sapi_game no-mode4 "$sapi_dir/sapi4.ini" "$ended" ZEB_STANDIN_VOICES=none
    sapi_logged no-mode4 "sapi4 Next 1 none -> 0x00000001"
    sapi_same_as_native no-mode4
}

# The windowed game of wine-checks.sh reads the word with the SAPI 4
# stand-in: its notifications come through galdrino.exe's own pumps.
sapi_window_setup() {
    cp "$sapi_installed_ini" "$sapi_dir/installed.ini"
    sapi_ini "$sapi_dir/window.ini" 4 1 0 0
    cp "$sapi_dir/window.ini" "$sapi_installed_ini"
    rm -f "$sapi_dir/window.log"
    export ZEB_STANDIN_LOG="Z:$sapi_dir/window.log"
}

sapi_window_verify() {
    begin "galdrino.exe with a SAPI 4 engine"
    unset ZEB_STANDIN_LOG
    cp "$sapi_dir/installed.ini" "$sapi_installed_ini"
    [ -f "$sapi_dir/window.log" ] || fail "galdrino.exe made no SAPI 4 call"
    grep -q '^sapi4 TextData 0 0 [0-9]* {E4963D40-C743-11CD-80E5-00AA003E4B50} "[A-Z]*" -> 0x00000000$' \
        "$sapi_dir/window.log" || fail "galdrino.exe handed no word to the engine, see $sapi_dir/window.log"
    sapi_delivered_on_main_thread window TextDataDone
    sapi_logged window 'sapi4 engine Alpha destroyed idle, 0 sinks registered'
    sapi_logged window 'sapi4 audio destination destroyed'
    passed "$(grep -c "$sapi_pump" "$sapi_dir/window.log") notifications from its pumps"
}
