#!/usr/bin/env bash
# Builds the Debian package of the host, both plug-ins and the maker's two
# libraries (installed under /usr) in build/package, with Debian's compiler
# and linker flags, and prints its path. Install it with
# `apt-get install ./build/package/<name>.deb`.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/package"

# Only the package's path goes to standard output.
"$root/scripts/install-deps.sh" >&2
flags_text=$("$root/scripts/debian-build-flags.sh")
mapfile -t flags <<<"$flags_text"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTALLOWICK_TESTS=OFF -DTALLOWICK_BENCH=OFF "${flags[@]}" >&2
cmake --build "$build" -j "$(nproc)" >&2
"$root/scripts/make-deb.sh" "$build"
