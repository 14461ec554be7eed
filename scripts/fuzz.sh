#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang, AddressSanitizer and UndefinedBehavior-
# Sanitizer in build-fuzz/, and runs them.
#
#   scripts/fuzz.sh TARGET [SECONDS]    one target (importer, settings, text) for SECONDS
#                                       (600 if not given); the inputs it finds are kept in
#                                       build-fuzz/corpus/TARGET for the next run
#   scripts/fuzz.sh --runs N [TARGET...]
#                                       each target (or those named) for N runs from its seeds
#                                       in fuzz/corpus/, with a fixed seed: what the tests run
#
# A crash, a leak or an input slower than 20 seconds stops the run with a non-zero status and
# leaves the input in build-fuzz/artifacts/; `build-fuzz/fuzz/fuzz_TARGET FILE` replays it.
set -euo pipefail
cd "$(dirname "$0")/.."

all_targets=(importer settings text)
usage() {
    sed -n '2,14s/^# \{0,1\}//p' "$0" >&2
    exit 2
}

runs=""
if [ "${1:-}" = "--runs" ]; then
    [ $# -ge 2 ] || usage
    runs=$2
    shift 2
    targets=("$@")
    [ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")
else
    [ $# -ge 1 ] && [ $# -le 2 ] || usage
    targets=("$1")
    seconds=${2:-600}
fi
for target in "${targets[@]}"; do
    [ -d "fuzz/corpus/$target" ] || { echo "fuzz.sh: no target \"$target\"; there are: ${all_targets[*]}" >&2; exit 2; }
done

cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMBRA_FUZZ=ON \
    -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

mkdir -p build-fuzz/artifacts
# A quarantine of 64 MB instead of 256 still holds many inputs' worth of freed blocks (a use
# after free is found) and keeps the process at about a third of the memory.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:quarantine_size_mb=64
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions="$PWD/scripts/lsan.supp"
# The code under test reports bad input on stderr, line by line; the fuzzer's own report and
# the sanitizers' go to a copy of it that stays open.
common=(-close_fd_mask=2 -timeout=20 -rss_limit_mb=3072 -print_final_stats=1)

for target in "${targets[@]}"; do
    program=build-fuzz/fuzz/fuzz_$target
    if [ -n "$runs" ]; then
        scratch=$(mktemp -d)
        trap 'rm -rf "$scratch"' EXIT
        echo "== fuzz_$target: $runs runs"
        "$program" "${common[@]}" -runs="$runs" -seed=1 \
            -artifact_prefix="build-fuzz/artifacts/$target-" "$scratch" "fuzz/corpus/$target"
        rm -rf "$scratch"
        trap - EXIT
    else
        mkdir -p "build-fuzz/corpus/$target"
        echo "== fuzz_$target: $seconds seconds"
        "$program" "${common[@]}" -max_total_time="$seconds" \
            -artifact_prefix="build-fuzz/artifacts/$target-" "build-fuzz/corpus/$target" "fuzz/corpus/$target"
    fi
done
