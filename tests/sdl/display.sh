# Sourced by the scripts that drive the desktop program on a virtual X
# display; the script defines fail and sets program. Sources wait_for.sh.
#
#   start_display      starts Xvfb and exports DISPLAY
#   start_program LOG  starts $program in the background, its output in LOG
#   game_running       whether it still runs
#   wait_window SECS   waits for its window to show; its id in window
# The EXIT trap ends the program, then the display, and removes the work
# directory display_work.

. "$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/scripts/wait_for.sh"

display_work=$(mktemp -d)
xvfb_pid=
game_pid=
window=
stop_display() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$display_work"
}
trap stop_display EXIT

start_display() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_work/display" \
        2>"$display_work/xvfb.log" &
    xvfb_pid=$!
    wait_for 10 test -s "$display_work/display" ||
        fail "Xvfb did not start: $(cat "$display_work/xvfb.log")"
    export DISPLAY=":$(head -n 1 "$display_work/display")"
}

start_program() { # log
    "$program" >"$1" 2>&1 &
    game_pid=$!
    program_log=$1
}

game_running() { kill -0 "$game_pid" 2>/dev/null; }

visible_window() {
    game_running || fail "the program ended before showing its window (see $program_log)"
    window=$(xdotool search --onlyvisible --pid "$game_pid" 2>/dev/null | head -n 1)
    [ -n "$window" ]
}

wait_window() { # seconds
    wait_for "$1" visible_window || fail "no window within $1 s"
}
