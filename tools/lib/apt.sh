# Shared by the installation scripts (sourced, not run): apt-get as root, and a package-list
# update that survives the one inconsistency this Debian mirror is known to have.

# Runs a command as root: directly, or with sudo; fails with a message when neither is there.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null; then
        sudo "$@"
    else
        echo "'$*' needs root, and sudo is not installed" >&2
        return 1
    fi
}

apt_get() {
    # Another installation may hold the package lock for a while.
    as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 "$@"
}

# Set by update_package_lists when the mirror serves a bookworm-security index that does not
# match its signed Release file (seen for i386 during a mirror sync): packages are then taken
# at bookworm's own versions.
security_index_broken=0

# Runs apt-get update. Tolerates failures that all concern the security suite (says so, each
# line after the prefix $1, and sets security_index_broken); shows apt's output and returns
# non-zero on any other failure.
update_package_lists() {
    local prefix=${1:-} log errors
    log=$(mktemp)
    if apt_get update >"$log" 2>&1; then
        rm -f "$log"
        return 0
    fi
    errors=$(grep '^E:' "$log" | grep -v 'Some index files failed to download' || true)
    if [ -n "$errors" ] && ! grep -qv -- '-security' <<<"$errors"; then
        echo "${prefix}the mirror's bookworm-security index is inconsistent:"
        sed "s/^/${prefix}    /" <<<"$errors"
        echo "${prefix}going on with bookworm's own versions, without security updates"
        security_index_broken=1
        rm -f "$log"
        return 0
    fi
    cat "$log" >&2
    rm -f "$log"
    return 1
}
