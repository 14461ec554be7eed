#!/usr/bin/env bash
# Sets up a fresh Debian machine (only what is missing), builds the launcher (only what is
# out of date), installs the factory settings of the current language when the store has
# none, and runs the launcher: on $DISPLAY when there is one; otherwise on a private X server,
# where it takes a screenshot, prints its path and ends.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# Without a display the launcher runs on a private X server, whose tools come with it.
if [ -n "${DISPLAY:-}" ]; then
    ./scripts/install-deps.sh
else
    ./scripts/install-deps.sh --headless
fi

# Configure once; afterwards the build itself re-runs CMake when a CMakeLists.txt changes.
if ! grep -qs '^CMAKE_BUILD_TYPE:STRING=Release$' build/CMakeCache.txt; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
fi
cmake --build build --target lumbra -j"$(nproc)"

# An export ends with 3 exactly when the store holds no tree for the language. Any other
# failure leaves the store as it is: the person's icons and lock are not replaced.
status=0
problem=$(cd build && ./lumbra --exportRegister 2>&1 >/dev/null) || status=$?
if [ "$status" -eq 3 ]; then
    echo "Installing the factory settings"
    (cd build && ./lumbra --installRegister)
elif [ "$status" -ne 0 ]; then
    echo "The settings could not be checked, so they are left as they are: $problem" >&2
fi

if [ -n "${DISPLAY:-}" ]; then
    exec "$root/build/lumbra" "$@"
fi

work=$(mktemp -d)
xvfb_pid=""
lumbra_pid=""
stop() {
    local pid=$1
    [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null || return 0
    kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}
cleanup() {
    stop "$lumbra_pid"
    stop "$xvfb_pid"
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display number itself and writes it to the descriptor it is given.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
done
if [ ! -s "$work/display" ]; then
    echo "No display, and Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$(head -n 1 "$work/display")"
echo "No display: running the launcher on a private X server ($DISPLAY, 1024x768)"

mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$work/runtime}
# The launcher says on stderr when every page is built; the screenshot waits for that.
LUMBRA_BENCH_MARKERS=1 "$root/build/lumbra" "$@" 2>"$work/lumbra.log" &
lumbra_pid=$!

window=""
for _ in $(seq 300); do
    window=$(xdotool search --onlyvisible --name '^Lumbra$' 2>/dev/null | head -n 1) || true
    [ -n "$window" ] && break
    kill -0 "$lumbra_pid" 2>/dev/null || break
    sleep 0.1
done

if [ -z "$window" ]; then
    if kill -0 "$lumbra_pid" 2>/dev/null; then
        echo "The launcher showed no window within 30 seconds." >&2
    else
        wait "$lumbra_pid" && code=0 || code=$?
        lumbra_pid=""
        echo "The launcher ended (exit code $code) before it showed a window." >&2
    fi
    grep -v -x -e first-frame -e all-built "$work/lumbra.log" >&2 || true
    exit 1
fi

mkdir -p "$root/build/screenshots"
stamp=$(date +%Y%m%d-%H%M%S)

# At the first start the launcher asks whether to use it or the normal desktop: a small
# window of the same title. Show it, then answer as a newcomer would.
geometry=$(xdotool getwindowgeometry --shell "$window")
width=$(sed -n 's/^WIDTH=//p' <<<"$geometry")
if [ "${width:-0}" -lt 1024 ]; then
    sleep 0.5
    choice="$root/build/screenshots/start-choice-$stamp.png"
    /usr/bin/import -window root "$choice"
    echo "Screenshot of the first start's question: $choice"
    x=$(sed -n 's/^X=//p' <<<"$geometry")
    y=$(sed -n 's/^Y=//p' <<<"$geometry")
    xdotool mousemove $((x + 116)) $((y + 62)) click 1
fi

for _ in $(seq 100); do
    grep -qx all-built "$work/lumbra.log" && break
    kill -0 "$lumbra_pid" 2>/dev/null || break
    sleep 0.1
done
# Let the last frame reach the screen.
sleep 0.5

shot="$root/build/screenshots/lumbra-$stamp.png"
/usr/bin/import -window root "$shot"
grep -v -x -e first-frame -e all-built "$work/lumbra.log" >&2 || true
echo "Screenshot: $shot"
