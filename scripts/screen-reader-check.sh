#!/usr/bin/env bash
# Starts the launcher of build/ on the factory settings in a session of its own with the
# accessibility bus running, as a screen reader finds it, and prints what the reader is
# given: every button and tab with its name and state, then the focus events for the keys
# given (default: Right Right Down Tab). Needs an X server in $DISPLAY (Xvfb :73 &).
# LUMBRA_BUILD_DIR names another build folder than build/.
set -euo pipefail
cd "$(dirname "$0")/.."
: "${DISPLAY:?needs an X server in DISPLAY, for example: Xvfb :73 & export DISPLAY=:73}"
keys=("$@")
[ ${#keys[@]} -gt 0 ] || keys=(Right Right Down Tab)

build=$(realpath "${LUMBRA_BUILD_DIR:-build}")
export build
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LUMBRA_REGISTRY="$work/registry.sqlite" LUMBRA_LANGID=0x0409 LUMBRA_RUNTIME_DIR="$work/runtime"
(cd "$build" && ./lumbra --installRegister >/dev/null)

dbus-run-session -- bash -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately &
    bus=$!
    sleep 1
    (cd "$build" && QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 exec ./lumbra 2>/dev/null) &
    launcher=$!
    sleep 3
    /usr/bin/python3 scripts/screen-reader-check.py "$@"
    status=$?
    kill "$launcher" "$bus" 2>/dev/null || true
    exit $status
' screen-reader-check "${keys[@]}"
