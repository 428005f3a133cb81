#!/usr/bin/env bash
# Installs a build into a temporary prefix and runs what a user gets from it:
# the launcher on the PATH starts the installed host headless with each
# plug-in on a private session bus; the plug-in must be the installed one,
# the maker's library it binds at start-up must come from the installed
# application directory, and the host must end with the plug-in's status 0
# and save its documents. Also checks the layout, that no program points into
# the build tree, the desktop entry, the AppStream data and the icons, that
# the manual page shows every option of --help, that every file giving the
# version gives the project's, and that the installed description of the
# automation interface is what the running host answers to Introspect.
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

# Under usr/ of a root folder, as a package installs it, so that AppStream's
# check can take the tree as a whole system's.
root_dir="$work/root"
prefix="$root_dir/usr"
app="$prefix/lib/tallowick"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" ||
    fail "cmake --install $build failed: $(cat "$work/install.log")"

# The layout, and nothing else in the application directory (no tests).
expected="Cinderloom_pm Marrowset_pm libZibbet.so libvxfilter.so tallowick"
found=$(cd "$app" && LC_ALL=C ls | tr '\n' ' ' | sed 's/ $//')
[ "$found" = "$expected" ] || fail "$app holds \"$found\", expected \"$expected\""
[ -x "$prefix/bin/tallowick" ] || fail "$prefix/bin/tallowick is not an executable launcher"
for file in share/icons/hicolor/scalable/apps/tallowick.svg \
    share/icons/hicolor/48x48/apps/tallowick.png share/icons/hicolor/256x256/apps/tallowick.png \
    share/man/man1/tallowick.1.gz share/doc/tallowick/copyright share/doc/tallowick/changelog.gz; do
    [ -f "$prefix/$file" ] || fail "$prefix/$file is missing"
done
metainfo=("$prefix"/share/metainfo/*.metainfo.xml)
[ ${#metainfo[@]} -eq 1 ] && [ -f "${metainfo[0]}" ] ||
    fail "expected one AppStream file in $prefix/share/metainfo, found: ${metainfo[*]}"
# The AppStream file, the desktop entry and what the one launches carry the
# same id.
id=$(sed -n 's|.*<id>\(.*\)</id>.*|\1|p' "${metainfo[0]}")
[ "${metainfo[0]##*/}" = "$id.metainfo.xml" ] ||
    fail "${metainfo[0]} is not named after its id \"$id\""
launchable=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "${metainfo[0]}")
[ "$launchable" = "$id.desktop" ] ||
    fail "${metainfo[0]} launches \"$launchable\", expected \"$id.desktop\""
desktop="$prefix/share/applications/$id.desktop"
[ -f "$desktop" ] || fail "$desktop is missing"
interfaces=("$prefix"/share/dbus-1/interfaces/*.xml)
[ ${#interfaces[@]} -eq 1 ] && [ -f "${interfaces[0]}" ] ||
    fail "expected one interface description in $prefix/share/dbus-1/interfaces, found: ${interfaces[*]}"
leftovers=$(find "$prefix" -type f ! -path "$app/*" ! -path "$prefix/share/*")
[ -z "$leftovers" ] || fail "installed outside the application directory and share/: $leftovers"
[ -z "$(find "$root_dir" -mindepth 1 -maxdepth 1 ! -name usr)" ] ||
    fail "installed outside $prefix: $(find "$root_dir" -mindepth 1 -maxdepth 1 ! -name usr)"

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

desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $desktop"
appstreamcli validate --no-net "${metainfo[0]}" >"$work/appstream.log" 2>&1 ||
    fail "appstreamcli validate rejects ${metainfo[0]}: $(cat "$work/appstream.log")"

# The width and height a PNG file's header gives, as "W H".
png_size() {
    local header
    header=$(od -An -v -tu1 -N24 "$1" | tr -s ' \n' ' ')
    read -r -a bytes <<<"$header"
    [ "${#bytes[@]}" -eq 24 ] && [ "${bytes[1]} ${bytes[2]} ${bytes[3]}" = "80 78 71" ] ||
        return 1
    echo "$(((bytes[16] << 24) + (bytes[17] << 16) + (bytes[18] << 8) + bytes[19])) $(((bytes[20] << 24) + (bytes[21] << 16) + (bytes[22] << 8) + bytes[23]))"
}
for size in 48 256; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/tallowick.png"
    found=$(png_size "$icon") || fail "$icon is not a PNG file"
    [ "$found" = "$size $size" ] || fail "$icon is $found pixels, expected $size $size"
done

# One version everywhere: the one project() sets.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "$build/CMakeCache.txt gives no CMAKE_PROJECT_VERSION"
printed=$("$prefix/bin/tallowick" --version) || fail "tallowick --version failed"
[ "$printed" = "tallowick $version" ] || fail "tallowick --version printed \"$printed\", expected \"tallowick $version\""
grep -qF "<release version=\"$version\"" "${metainfo[0]}" ||
    fail "${metainfo[0]} has no release $version"
newest=$(gzip -dc "$prefix/share/doc/tallowick/changelog.gz" | head -n 1)
[[ "$newest" == "tallowick ($version) "* ]] ||
    fail "the changelog's newest entry is \"$newest\", not version $version"

"$root/scripts/check-manual.sh" "$prefix/bin/tallowick" "$prefix/share/man/man1/tallowick.1.gz" "$version"

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

# The element describing interface $2 in the introspection document in file $1.
interface_element() {
    local document opening="<interface name=\"$2\">" rest
    document=$(<"$1")
    rest=${document#*"$opening"}
    [ "$rest" != "$document" ] || return 1
    [[ "$rest" == *"</interface>"* ]] || return 1
    printf '%s%s</interface>' "$opening" "${rest%%"</interface>"*}"
}

host_owns_its_name() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.GetNameOwner string:Tallowick.Tallowick_Class >/dev/null 2>&1
}

# What the installed host answers to Introspect must be, word for word, the
# interface description installed for callers.
check_interface() {
    local file=${interfaces[0]} name
    name=$(basename "$file" .xml)
    "$prefix/bin/tallowick" --headless >"$work/host.out" 2>"$work/host.err" &
    host_pid=$!
    wait_for "the host on the bus" host_owns_its_name
    dbus-send --session --print-reply=literal --dest=Tallowick.Tallowick_Class /Tallowick_Class \
        org.freedesktop.DBus.Introspectable.Introspect >"$work/introspection.xml" 2>&1 ||
        fail "Introspect of the host's object failed: $(cat "$work/introspection.xml")"
    kill -TERM "$host_pid"
    local status=0
    wait "$host_pid" || status=$?
    host_pid=
    [ "$status" -eq 0 ] || fail "the host ended with status $status on SIGTERM: $(cat "$work/host.err")"

    interface_element "$file" "$name" >"$work/installed-interface.xml" ||
        fail "$file describes no interface $name"
    interface_element "$work/introspection.xml" "$name" >"$work/live-interface.xml" ||
        fail "the host's Introspect describes no interface $name: $(cat "$work/introspection.xml")"
    cmp -s "$work/installed-interface.xml" "$work/live-interface.xml" ||
        fail "the host's Introspect differs from $file: $(diff "$work/installed-interface.xml" "$work/live-interface.xml")"
    echo "check-install: the host's Introspect describes $name as $file does"
}

check_interface
check_plugin Cinderloom_pm libvxfilter.so
check_plugin Marrowset_pm libZibbet.so
echo "check-install: the install in a temporary prefix works"
