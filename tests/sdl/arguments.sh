# Sourced first by the SDL scripts, which take the same two arguments.
#
#   take_arguments DIR_NAME "$@"  sets program and out from PROGRAM and the
#                                 directory, made here; a usage line and exit
#                                 code 2 for anything else
#   need_tools TOOL...            exit code 77 (skipped) when one is missing

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
