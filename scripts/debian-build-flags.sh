#!/usr/bin/env bash
# Prints, one a line, the CMake cache settings that give a build Debian's
# compiler and linker flags (dpkg-buildflags, with every hardening feature):
# the package is built with them, and the plain test build too, so that the
# tests run the code as it ships.
#
#   mapfile -t flags < <(scripts/debian-build-flags.sh)
#   cmake -S . -B build/release "${flags[@]}"
set -euo pipefail

# dpkg-buildflags maps the current folder out of file names in the objects.
cd "$(dirname "${BASH_SOURCE[0]}")/.."

command -v dpkg-buildflags >/dev/null ||
    { echo "debian-build-flags: dpkg-buildflags is missing (package dpkg-dev)" >&2; exit 1; }

flag() {
    DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"
}

# CMake has no preprocessor flags of its own; they go with the compiler's.
cppflags=$(flag CPPFLAGS)
ldflags=$(flag LDFLAGS)
echo "-DCMAKE_C_FLAGS=$(flag CFLAGS) $cppflags"
echo "-DCMAKE_CXX_FLAGS=$(flag CXXFLAGS) $cppflags"
echo "-DCMAKE_EXE_LINKER_FLAGS=$ldflags"
echo "-DCMAKE_SHARED_LINKER_FLAGS=$ldflags"
echo "-DCMAKE_MODULE_LINKER_FLAGS=$ldflags"
