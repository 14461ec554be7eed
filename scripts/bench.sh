#!/usr/bin/env bash
# Builds the benchmarks in a release build and runs them one after another, printing their
# tables: the settings store at scale, an icon's hover repaint, and the start-up beside a bare
# Qt program and a plain one that draws the same first page (in a private X server when there
# is no $DISPLAY), then, where valgrind is installed, the instructions each program runs to its
# first frame. Close other programs first: the figures are wall-clock times.
#
#   scripts/bench.sh [RUNS]    RUNS starts of each program for the start-up table (10)
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh --tests >/dev/null
if ! grep -qs '^CMAKE_BUILD_TYPE:STRING=Release$' build/CMakeCache.txt; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build build -j"$(nproc)" --target bench_settings bench_faces bench_startup >/dev/null

echo "== $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
echo "== load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for program in bench_settings bench_faces; do
    echo "== $program"
    QT_QPA_PLATFORM=offscreen "build/bench/$program" 2>&1 | grep -v '^QStandardPaths'
done
echo "== bench_startup"
build/bench/bench_startup "${1:-10}" 2>&1 | grep -v '^QStandardPaths'
if command -v valgrind >/dev/null; then
    echo "== bench_startup --callgrind"
    build/bench/bench_startup --callgrind 2>&1 | grep -v '^QStandardPaths'
fi
