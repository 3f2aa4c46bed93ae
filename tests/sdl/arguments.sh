# Sourced first by the SDL scripts, which take the same two arguments.
#
#   take_arguments DIR_NAME "$@"  sets program and out from PROGRAM and the
#                                 directory, made here; a usage line and exit
#                                 code 2 for anything else
#   need_tools TOOL...            exit code 77 (skipped) when one is missing
#   play_silent_game NAME MESSAGE [VAR=VALUE...]
#                                 a short game (smoke.sh) with the environment
#                                 given, which must end well and print MESSAGE;
#                                 a failure goes to the checks' fail

take_arguments() { # dir_name, arguments...
    local dir_name=$1
    shift
    if [ $# -ne 2 ]; then
        echo "usage: $0 PROGRAM $dir_name" >&2
        exit 2
    fi
    program=$1
    out=$2
    mkdir -p "$out" || exit 2
}

need_tools() { # tool...
    local tool
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null; then
            echo "SKIP: $tool is missing (scripts/setup-windows.sh installs it)"
            exit 77
        fi
    done
}

play_silent_game() { # name, message, VAR=VALUE...
    local name=$1 message=$2
    shift 2
    env "$@" SMOKE_KEY_GAP="${SMOKE_KEY_GAP:-8}" SMOKE_TIME_LIMIT=120 \
        bash "$(dirname "${BASH_SOURCE[0]}")/smoke.sh" "$program" "$out/$name" >"$out/$name.log" 2>&1 ||
        fail "$name: the game did not go on to its end: $(tail -n 3 "$out/$name.log")"
    grep -q "$message" "$out/$name/galdrino.log" ||
        fail "$name: no '$message' in $out/$name/galdrino.log"
}
