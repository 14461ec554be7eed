#!/usr/bin/env bash
# Builds the Windows backends of the platform seam with mingw-w64 and runs their test runner
# under Wine, in a fresh Wine prefix in a temporary folder. Skipped, with one line saying
# why, where the cross compiler or Wine is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

compiler=x86_64-w64-mingw32-g++
wine=$(command -v wine64 || true)
[ -n "$wine" ] || [ ! -x /usr/lib/wine/wine64 ] || wine=/usr/lib/wine/wine64
if ! command -v "$compiler" >/dev/null || [ -z "$wine" ]; then
    echo "SKIPPED: the Windows backends' tests need $compiler and wine64 (scripts/install-deps.sh --tests installs them)"
    exit 0
fi
wineserver=$(dirname "$wine")/wineserver64
[ -x "$wineserver" ] || wineserver=$(command -v wineserver || echo wineserver)

cmake -S tests/win32 -B build-win32 -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build build-win32 -j"$(nproc)"

prefix=$(mktemp -d "${TMPDIR:-/tmp}/lumbra-wine.XXXXXX")
cleanup() {
    WINEPREFIX="$prefix" "$wineserver" -k 2>/dev/null || true
    rm -rf "$prefix"
}
trap cleanup EXIT

# Windows need a display driver: Wine's null driver gives them one without an X server.
# Written before Wine's first start, which keeps it while it sets the prefix up.
cat >"$prefix/user.reg" <<'REG'
WINE REGISTRY Version 2

#arch=win64

[Software\\Wine\\Drivers]
"Graphics"="null"
REG

export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
start=$(date +%s)
# Wine's own start-up notes go to stderr; the runner's lines go to stdout.
quiet() { grep -v -e '^wine: ' -e 'rundll32.exe' >&2; }
# A runner that stops answering must not hold the whole test run up: its cases wait seconds
# at most, so 15 minutes (5 for one language) means it hangs.
limit="timeout --kill-after=10"
status=0
$limit 900 "$wine" build-win32/lumbra-win32-tests.exe "$@" 2> >(quiet) || status=$?
[ "$status" -ne 124 ] || echo "FAIL!  the runner did not end within 15 minutes"

# Wine takes the system language from the Unix locale it starts in: one start per locale.
if [ $# -eq 0 ]; then
    export wine limit
    results=$($limit 300 "$wine" build-win32/lumbra-win32-tests.exe --list-languages 2>/dev/null | tr -d '\r' |
        xargs -P "$(nproc)" -L 1 sh -c 'LC_ALL="$1" $limit 300 "$wine" build-win32/lumbra-win32-tests.exe --language "$0" 2>/dev/null ||
            echo "FAIL!  system: the language of $1: the runner ended with $?"' | tr -d '\r')
    echo "$results"
    failed=$(grep -c '^FAIL' <<<"$results" || true)
    echo "Languages: $(grep -c '^PASS' <<<"$results" || true) passed, $failed failed"
    [ "$failed" -eq 0 ] || status=1
fi
echo "Wine run: $(( $(date +%s) - start )) s, exit code $status"
exit "$status"
