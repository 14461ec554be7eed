#!/usr/bin/env bash
# The quick loop while changing the code: builds what is out of date in build/ (a release
# build, configured on first use) and runs every test but the end-to-end ones, which start the
# real program on an X server of their own and take minutes (ctest --test-dir build -L e2e).
# Extra arguments go to ctest, for example:
#   scripts/check.sh -R tst_launcher
#   scripts/check.sh --rerun-failed
# scripts/test.sh is the whole run CI makes.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
if ! grep -qs '^CMAKE_BUILD_TYPE:STRING=Release$' build/CMakeCache.txt; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
fi
cmake --build build -j"$jobs"
ctest --test-dir build -LE e2e --output-on-failure -j"$jobs" "$@"
