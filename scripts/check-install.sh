#!/usr/bin/env bash
# Installs a build into a temporary prefix and runs what a user gets from it:
# the launcher on the PATH starts the installed host headless with each
# plug-in on a private session bus; the plug-in must be the installed one,
# the maker's library it binds at start-up must come from the installed
# application directory, and the host must end with the plug-in's status 0
# and save its documents. Also checks the layout, that no program points into
# the build tree, and the desktop entry.
#
#   scripts/check-install.sh [BUILD_DIR]    (default: build/release)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd)

work=$(mktemp -d)
bus_pid=
host_pid=
cleanup() {
    if [ -n "$host_pid" ]; then kill "$host_pid" 2>/dev/null || true; fi
    if [ -n "$bus_pid" ]; then kill "$bus_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "check-install: $*" >&2
    exit 1
}

prefix="$work/prefix"
app="$prefix/lib/tallowick"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" ||
    fail "cmake --install $build failed: $(cat "$work/install.log")"

# The layout, and nothing else in the application directory (no tests).
expected="Cinderloom_pm Marrowset_pm libZibbet.so libvxfilter.so tallowick"
found=$(cd "$app" && LC_ALL=C ls | tr '\n' ' ' | sed 's/ $//')
[ "$found" = "$expected" ] || fail "$app holds \"$found\", expected \"$expected\""
[ -x "$prefix/bin/tallowick" ] || fail "$prefix/bin/tallowick is not an executable launcher"
for file in share/applications/tallowick.desktop share/icons/hicolor/scalable/apps/tallowick.svg; do
    [ -f "$prefix/$file" ] || fail "$prefix/$file is missing"
done
leftovers=$(find "$prefix" -type f ! -path "$app/*" ! -path "$prefix/share/*")
[ -z "$leftovers" ] || fail "installed outside the application directory and share/: $leftovers"

# An absolute run path (into the build tree, say) would load libraries from
# outside the install, or nothing once that folder is gone.
for program in "$app"/*; do
    dynamic=$(readelf -d "$program") || fail "readelf -d $program failed"
    runpath=$(sed -n -E 's/.*\((RPATH|RUNPATH)\).*\[(.*)\]/\2/p' <<<"$dynamic")
    IFS=: read -r -a entries <<<"$runpath"
    for entry in "${entries[@]}"; do
        case "$entry" in
        '$ORIGIN' | '$ORIGIN/'*) ;;
        *) fail "$program has a run path outside its install: $runpath" ;;
        esac
    done
done

desktop-file-validate "$prefix/share/applications/tallowick.desktop" ||
    fail "desktop-file-validate rejects $prefix/share/applications/tallowick.desktop"

# A private bus and private settings: never the user's.
address=
{
    read -r address && read -r bus_pid
} < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 2>"$work/bus.err") || true
if [ -z "$address" ] || [ -z "$bus_pid" ]; then
    fail "dbus-daemon printed no address or process id: $(cat "$work/bus.err")"
fi
export DBUS_SESSION_BUS_ADDRESS="$address"
export QT_QPA_PLATFORM=offscreen
export XDG_CONFIG_HOME="$work/config"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# Runs the command after $1 every tenth of a second until it succeeds, for up
# to 30 s and only while the host runs; $1 says what is awaited.
wait_for() {
    local what=$1
    shift
    for _ in $(seq 300); do
        "$@" && return 0
        kill -0 "$host_pid" 2>/dev/null || fail "the host ended before $what: $(cat "$work/host.err")"
        sleep 0.1
    done
    fail "no $what within 30 s: $(cat "$work/host.err")"
}

# The host's child process named $1.
plugin_pid() {
    local child
    for child in $(cat /proc/"$host_pid"/task/*/children 2>/dev/null); do
        if [ "$(cat "/proc/$child/comm" 2>/dev/null)" = "$1" ]; then
            echo "$child"
            return 0
        fi
    done
    return 1
}

maps_library() {
    grep -qF "$app/$2" "/proc/$1/maps" 2>/dev/null
}

# Runs the installed host with plug-in $1 until the plug-in has bound library
# $2, then asks the plug-in to stop, as a user's session would.
check_plugin() {
    local plugin=$1 library=$2
    local saved="$work/saved-$plugin"
    "$prefix/bin/tallowick" --headless --save-dir "$saved" --run "$plugin" \
        >"$work/host.out" 2>"$work/host.err" &
    host_pid=$!

    local pid=
    wait_for "$plugin started by the host" plugin_pid "$plugin" >/dev/null
    pid=$(plugin_pid "$plugin")
    [ "$(readlink "/proc/$pid/exe")" = "$app/$plugin" ] ||
        fail "the host started $(readlink "/proc/$pid/exe"), not $app/$plugin"
    wait_for "$library bound by $plugin from $app" maps_library "$pid" "$library"

    kill -TERM "$pid"
    local status=0
    wait "$host_pid" || status=$?
    host_pid=
    [ "$status" -eq 0 ] || fail "the host with $plugin ended with status $status: $(cat "$work/host.err")"
    [ -f "$saved/doc0/frame0000.png" ] || fail "the host with $plugin saved no document in $saved"
    echo "check-install: $plugin ran from $app and bound $library there"
}

check_plugin Cinderloom_pm libvxfilter.so
check_plugin Marrowset_pm libZibbet.so
echo "check-install: the install in a temporary prefix works"
