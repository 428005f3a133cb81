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

host=("$build/bin/tallowick" "${run[@]}" "$@")
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
    exec dbus-run-session -- "${host[@]}"
fi
exec "${host[@]}"
