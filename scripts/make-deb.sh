#!/usr/bin/env bash
# Makes the Debian package of a configured and built folder with CPack and
# prints its path.
#
#   scripts/make-deb.sh BUILD_DIR
set -euo pipefail

fail() {
    echo "make-deb: $*" >&2
    exit 1
}

[ $# -eq 1 ] || fail "usage: make-deb.sh BUILD_DIR"
build=$(cd "$1" && pwd) || fail "$1 is not a folder"
[ -f "$build/CPackConfig.cmake" ] || fail "$build is not a configured build (no CPackConfig.cmake)"

rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >"$build/cpack.log" 2>&1) ||
    fail "cpack failed in $build: $(cat "$build/cpack.log")"
packages=("$build"/*.deb)
[ ${#packages[@]} -eq 1 ] && [ -f "${packages[0]}" ] ||
    fail "cpack made no single .deb in $build; see $build/cpack.log"
echo "${packages[0]}"
