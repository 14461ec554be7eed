#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the launcher and runs every test twice: once in a
# release build, once under AddressSanitizer and UndefinedBehaviorSanitizer; between the two,
# the Windows backends, cross-compiled, under Wine; then each fuzz target briefly from its seeds.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh --tests
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$jobs"
# The package test installs the .deb on this machine and removes it again: it runs only when
# LUMBRA_PACKAGE_TEST=1 asks for it (as CI does on its throw-away machine).
ctest --test-dir build --output-on-failure -j"$jobs"

./scripts/test-win32.sh

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DLUMBRA_SANITIZE=ON
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:halt_on_error=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
LSAN_OPTIONS=suppressions="$PWD/scripts/lsan.supp" \
    ctest --test-dir build-sanitize --output-on-failure -j"$jobs" -E '^package_install$'

# Each fuzz target for a fixed number of runs with a fixed seed, the same inputs each time: some
# seconds each on an idle machine (a store round trip costs far more than a text value).
# scripts/fuzz.sh TARGET runs one for longer.
./scripts/fuzz.sh --runs 1000 importer
./scripts/fuzz.sh --runs 300 settings
./scripts/fuzz.sh --runs 3000 text
