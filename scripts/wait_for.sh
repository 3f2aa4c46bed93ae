# Sourced by the scripts that drive a program on a virtual display.
# wait_for SECONDS COMMAND...: waits up to SECONDS for COMMAND to succeed.
wait_for() {
    local seconds=$1
    shift
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        [ $SECONDS -ge $deadline ] && return 1
        sleep 0.2
    done
}
