#!/usr/bin/env bash
# Builds the Debian package of the host, both plug-ins and the maker's two
# libraries (installed under /usr) in build/package, and prints its path.
# Install it with `apt-get install ./build/package/<name>.deb`.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/package"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTALLOWICK_TESTS=OFF -DTALLOWICK_BENCH=OFF
cmake --build "$build" -j "$(nproc)"

rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >"$build/cpack.log") || {
    cat "$build/cpack.log" >&2
    exit 1
}
packages=("$build"/*.deb)
[ -f "${packages[0]}" ] || {
    echo "cpack made no .deb in $build; see $build/cpack.log" >&2
    exit 1
}
echo "${packages[0]}"
