#!/usr/bin/env bash
# The whole test suite from a fresh clone: installs what is missing, then
# configures, builds and runs every test twice, once in a plain build with
# Debian's compiler and linker flags and once under AddressSanitizer and
# UndefinedBehaviorSanitizer; then it runs each fuzz target briefly; last it
# checks the plain build's install and the Debian package made from it.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)

"$root/scripts/install-deps.sh"

# Qt wants a runtime folder of the user's own; a bare console or a CI job has
# none, and every program would warn about it.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR=$(mktemp -d)
    chmod 0700 "$XDG_RUNTIME_DIR"
    export XDG_RUNTIME_DIR
    trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi

run_suite() {
    local build=$1
    shift
    cmake -S "$root" -B "$build" -G Ninja "$@"
    cmake --build "$build" -j "$jobs"
    ctest --test-dir "$build" --output-on-failure -j "$jobs"
}

echo "== Plain build"
# With the package's flags, so that the tests run the code as it ships and
# the package below can be made from this build.
flags_text=$("$root/scripts/debian-build-flags.sh")
mapfile -t debian_flags <<<"$flags_text"
run_suite "$root/build/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${debian_flags[@]}"

echo "== Sanitizer build"
# Full stacks for allocations, so that the leak suppressions can match them.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:fast_unwind_on_malloc=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
run_suite "$root/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DTALLOWICK_SANITIZE=ON -DTALLOWICK_BENCH=OFF

echo "== Fuzz targets"
# Every decoder a peer or a file feeds, briefly: eight targets of 18 s each,
# so that their runs stay under three minutes; scripts/fuzz.sh runs them
# longer by hand.
"$root/scripts/fuzz.sh" --seconds 18

echo "== Installed programs"
"$root/scripts/check-install.sh" "$root/build/release"

echo "== Debian package"
deb=$("$root/scripts/make-deb.sh" "$root/build/release")
"$root/scripts/check-package.sh" "$deb"
