# shellcheck shell=bash
# Installing Debian packages for the setup scripts, sourced by them.
#
# The package registry sometimes serves a broken index for a while ("File
# has unexpected size ... Mirror sync in progress?"). A refresh that fails is
# tried again (three tries, ZEB_APT_RETRY_PAUSE seconds apart, 20 by
# default); after that the lists already on the machine are used, and only a
# package that cannot be installed fails.

apt_sudo=()
[ "$(id -u)" -ne 0 ] && apt_sudo=(sudo)
apt_tries=3

# Prints each named package that is not installed.
apt_missing() {
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
    done
}

# Runs a command up to $apt_tries times, pausing between tries; its status
# is that of the last try.
apt_retried() { # what, command...
    local what=$1 try status=0
    shift
    for ((try = 1; try <= apt_tries; try++)); do
        "$@" && return 0
        status=$?
        echo "setup: $what failed (try $try of $apt_tries)" >&2
        [ "$try" -lt "$apt_tries" ] && sleep "${ZEB_APT_RETRY_PAUSE:-20}"
    done
    return "$status"
}

# Refreshes the package lists; never fails: the lists already here serve.
# When every try failed, apt_refresh_failure holds apt-get's first error.
apt_refresh_failure=
apt_refresh() {
    local log status=0
    log=$(mktemp)
    apt_retried "refreshing the package lists" "${apt_sudo[@]}" apt-get update -qq 2>"$log" ||
        status=$?
    cat "$log" >&2
    if [ "$status" -ne 0 ]; then
        apt_refresh_failure=$(grep -m 1 '^E:' "$log" || tail -n 1 "$log")
        echo "setup: going on with the package lists already on this machine" >&2
    fi
    rm -f "$log"
    return 0
}

# Installs packages (apt-get options first), trying again when a download fails.
apt_install() {
    DEBIAN_FRONTEND=noninteractive apt_retried "installing packages" \
        "${apt_sudo[@]}" apt-get install -y -qq "$@"
}
