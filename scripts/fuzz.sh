#!/usr/bin/env bash
# Runs the libFuzzer targets of fuzz/: builds them in build/fuzz (clang,
# AddressSanitizer, UndefinedBehaviorSanitizer), then runs each in turn, one
# process at a time, for SECONDS (default 600), starting from its seed corpus
# fuzz/corpus/<target>/. What a run adds to the corpus goes to
# build/fuzz/corpus/<target>/, so the repository's corpus is only read; a
# crash ends the run with its input in build/fuzz/crashes/. Last, one line
# per target: executions, executions per second, coverage (cov and ft as
# libFuzzer counts them).
#
#   scripts/fuzz.sh [--seconds N] [TARGET...]     (targets: fuzz_received_call ...)
#
# CI runs every target for 18 seconds (scripts/run-tests.sh).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/fuzz"
seconds=600
targets=()
while [ $# -gt 0 ]; do
    case "$1" in
    --seconds)
        [ $# -ge 2 ] || { echo "fuzz.sh: --seconds needs a number" >&2; exit 2; }
        seconds=$2
        shift 2
        ;;
    --*)
        echo "fuzz.sh: unknown option $1; usage: fuzz.sh [--seconds N] [TARGET...]" >&2
        exit 2
        ;;
    *)
        targets+=("$1")
        shift
        ;;
    esac
done
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
    echo "fuzz.sh: --seconds takes a whole number of seconds, not \"$seconds\"" >&2
    exit 2
fi
if [ ${#targets[@]} -eq 0 ]; then
    for corpus in "$root"/fuzz/corpus/*/; do
        targets+=("$(basename "$corpus")")
    done
fi

for compiler in clang clang++; do
    command -v "$compiler" >/dev/null || {
        echo "fuzz.sh: $compiler is missing; scripts/install-deps.sh installs it" >&2
        exit 1
    }
done
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTALLOWICK_FUZZ=ON "${launcher[@]}" >/dev/null
cmake --build "$build" --target fuzzers -j "$(nproc)"

# A leak or an error in the sanitizers ends the target's run as a crash
# does; the leaks Qt leaves at exit are not the targets'.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"

mkdir -p "$build/crashes"
summary=()
status=0
for target in "${targets[@]}"; do
    program="$build/fuzzers/$target"
    seeds="$root/fuzz/corpus/$target"
    if [ ! -x "$program" ] || [ ! -d "$seeds" ]; then
        echo "fuzz.sh: no target $target (none in $build/fuzzers with seeds in $seeds)" >&2
        exit 2
    fi
    corpus="$build/corpus/$target"
    log="$build/$target.log"
    mkdir -p "$corpus"
    echo "== $target, $seconds s"
    if "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 -print_final_stats=1 \
        -artifact_prefix="$build/crashes/$target-" "$corpus" "$seeds" \
        >"$log" 2>&1; then
        result="ok"
    else
        result="FAILED (see $log and $build/crashes/)"
        status=1
        tail -n 40 "$log" >&2
    fi
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    coverage=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -n 1)
    summary+=("$target: ${executions:-?} executions, ${rate:-?}/s, ${coverage:-no coverage}: $result")
done

echo "== Fuzzing, $seconds s per target"
printf '%s\n' "${summary[@]}"
exit "$status"
