#!/usr/bin/env bash
# Installs a Debian package of ours with apt-get on this system, checks what
# a user gets from it (the launcher and its version, every program's
# libraries found, the manual page, the host serving on a bus of its own),
# then removes and purges it and checks that nothing of it is left. It
# changes the system's packages: run it as root on a machine or chroot where
# that is fine. With --autoremove it also purges what the install pulled in,
# which is only safe on a throwaway system.
#
#   scripts/try-package.sh PACKAGE.deb [--autoremove]
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

fail() {
    echo "try-package: $*" >&2
    exit 1
}

[ $# -ge 1 ] && [ $# -le 2 ] || fail "usage: try-package.sh PACKAGE.deb [--autoremove]"
deb=$(realpath "$1")
autoremove=false
if [ $# -eq 2 ]; then
    [ "$2" = --autoremove ] || fail "unknown option $2"
    autoremove=true
fi
[ -f "$deb" ] || fail "$deb is missing"
[ "$(id -u)" -eq 0 ] || fail "run as root: it installs and removes a package"
package=$(dpkg-deb -f "$deb" Package)
version=$(dpkg-deb -f "$deb" Version)
if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed'; then
    fail "$package is installed already; this check starts from a system without it"
fi

work=$(mktemp -d)
dpkg-query -W -f='${Package}\n' | sort >"$work/packages-before"
host_pid=
bus_pid=
installed=false
cleanup() {
    if [ -n "$host_pid" ]; then kill "$host_pid" 2>/dev/null || true; fi
    if [ -n "$bus_pid" ]; then kill "$bus_pid" 2>/dev/null || true; fi
    # Never leave the package behind, whatever failed.
    if $installed; then dpkg --purge "$package" >/dev/null 2>&1 || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

export DEBIAN_FRONTEND=noninteractive
echo "try-package: apt-get install $deb"
installed=true
apt-get install -y -qq --no-install-recommends "$deb" >"$work/install.log" 2>&1 ||
    fail "apt-get install failed: $(cat "$work/install.log")"
dpkg -L "$package" >"$work/files"

printed=$(tallowick --version) || fail "tallowick --version failed"
[ "$printed" = "tallowick $version" ] || fail "tallowick --version printed \"$printed\", not the package's $version"

for program in /usr/lib/tallowick/*; do
    missing=$(ldd "$program" | grep 'not found' || true)
    [ -z "$missing" ] || fail "$program needs libraries the package's dependencies do not bring: $missing"
done

if command -v man >/dev/null; then
    page=$(man -w tallowick) || fail "man finds no page for tallowick"
    "$here/check-manual.sh" /usr/bin/tallowick "$page" "$version"
else
    echo "try-package: no man on this system; the manual page is not checked"
fi

# The host from the PATH, on a bus of its own and with its own folders, so
# that neither the user's session nor root's home is touched.
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
{
    read -r DBUS_SESSION_BUS_ADDRESS && read -r bus_pid
} < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 2>"$work/bus.err") || true
[ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] && [ -n "$bus_pid" ] ||
    fail "dbus-daemon printed no address or process id: $(cat "$work/bus.err")"
export DBUS_SESSION_BUS_ADDRESS
tallowick --headless >"$work/host.out" 2>"$work/host.err" &
host_pid=$!
served=false
for _ in $(seq 300); do
    if dbus-send --session --print-reply=literal --dest=Tallowick.Tallowick_Class /Tallowick_Class \
        org.freedesktop.DBus.Introspectable.Introspect >"$work/introspection.xml" 2>/dev/null; then
        served=true
        break
    fi
    kill -0 "$host_pid" 2>/dev/null || fail "the host ended at start: $(cat "$work/host.err")"
    sleep 0.1
done
$served || fail "the installed host did not serve its object within 30 s: $(cat "$work/host.err")"
grep -qF '<interface name="Tallowick.Automation">' "$work/introspection.xml" ||
    fail "the installed host's Introspect lacks the automation interface"
kill -TERM "$host_pid"
status=0
wait "$host_pid" || status=$?
host_pid=
[ "$status" -eq 0 ] || fail "the installed host ended with status $status: $(cat "$work/host.err")"
kill "$bus_pid"
bus_pid=
echo "try-package: the installed tallowick $version serves on the session bus"

apt-get remove -y -qq "$package" >"$work/remove.log" 2>&1 ||
    fail "apt-get remove failed: $(cat "$work/remove.log")"
# With no configuration files, removing forgets the package altogether, and
# apt-get has nothing left to purge.
known_status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
if [ -n "$known_status" ] && [[ "$known_status" != *not-installed ]]; then
    echo "try-package: after remove, dpkg holds $package as \"$known_status\"; purging"
    apt-get purge -y -qq "$package" >"$work/purge.log" 2>&1 ||
        fail "apt-get purge failed: $(cat "$work/purge.log")"
else
    echo "try-package: removing left no configuration of $package to purge"
fi
installed=false
if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -qv 'not-installed'; then
    fail "dpkg still knows $package after the purge: $(dpkg-query -W -f='${Status}' "$package")"
fi
# Files of the package, and folders of its own, must all be gone; folders
# it shares with others (/usr/bin) stay.
left=()
while read -r path; do
    if [ -e "$path" ] && { [ ! -d "$path" ] || [[ "$path" == */tallowick ]]; }; then
        left+=("$path")
    fi
done <"$work/files"
[ ${#left[@]} -eq 0 ] || fail "left after the purge: ${left[*]}"
echo "try-package: removed; nothing of $package is left"

if $autoremove; then
    apt-get autoremove --purge -y -qq >"$work/autoremove.log" 2>&1 ||
        fail "apt-get autoremove failed: $(cat "$work/autoremove.log")"
    dpkg-query -W -f='${Package}\n' | sort >"$work/packages-after"
    changed=$(diff "$work/packages-before" "$work/packages-after" || true)
    [ -z "$changed" ] || fail "the system's packages differ from before the install: $changed"
    echo "try-package: autoremove purged what the install pulled in; the system's packages are as before"
fi
