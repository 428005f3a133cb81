#!/usr/bin/env bash
# The main job: installs what is missing, builds, and starts the stand-in
# host with its built-in demo animation and brush, launching Cinderloom_pm.
# Options are passed on to the host; one that names a plug-in of its own with
# `--run PROGRAM [ARG]` (say `--run Marrowset_pm CLIPBOARD`) launches that
# one instead. With no session bus running (a bare console or a remote
# shell), it starts one of its own for the host and the plug-in.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/release"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

cmake --build "$build" -j "$(nproc)" --target tallowick Cinderloom_pm Marrowset_pm vxfilter Zibbet

# The host refuses `--run` given twice, so Cinderloom_pm is only the default.
run=(--run Cinderloom_pm)
for argument in "$@"; do
    if [ "$argument" = --run ]; then
        run=()
        break
    fi
done

# Qt wants a runtime folder of the user's own; a bare console or a remote
# shell has none, and host and plug-in would warn about it.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR=$(mktemp -d)
    chmod 0700 "$XDG_RUNTIME_DIR"
    export XDG_RUNTIME_DIR
    trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi

host=("$build/bin/tallowick" "${run[@]}" "$@")
# Not exec: the trap must still remove the runtime folder afterwards.
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
    dbus-run-session -- "${host[@]}"
else
    "${host[@]}"
fi
