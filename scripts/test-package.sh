#!/usr/bin/env bash
# Makes the Debian package from a build folder, installs it on this machine, runs it as an
# ordinary user (nobody, with a home folder of its own in a temporary folder) on a private X
# server: the factory settings installed with `lumbra --installRegister`, the launcher started
# by the `lumbra` command, a program dropped on its page and kept. Then removes the package
# again, also when a step fails. Runs only when asked for (LUMBRA_PACKAGE_TEST=1), as root,
# on a machine with dpkg and without a lumbra package of its own; otherwise it says why and
# ends with 77 (skipped).
#
#   LUMBRA_PACKAGE_TEST=1 scripts/test-package.sh BUILD_DIR DRAG_SOURCE
set -euo pipefail

build=$(realpath "$1") drag_source=$(realpath "$2")
skip() {
    echo "SKIPPED: $*"
    exit 77
}
[ "${LUMBRA_PACKAGE_TEST:-}" = 1 ] || skip "installs a package on this machine; set LUMBRA_PACKAGE_TEST=1 to run it"
[ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
command -v dpkg >/dev/null && command -v cpack >/dev/null || skip "needs dpkg and cpack"
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || skip "needs Xvfb and xdotool"
if dpkg-query -W -f='${Status}' lumbra 2>/dev/null | grep -q installed; then
    skip "a lumbra package is installed on this machine already, and the test would remove it"
fi

user=nobody group=$(id -gn nobody)
work=$(mktemp -d)
chmod 755 "$work"
installed=""
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    [ -z "$installed" ] || dpkg --purge lumbra >/dev/null || echo "FAIL: the package could not be removed" >&2
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    for log in "$work"/*.log; do
        [ -s "$log" ] && sed "s|^|$(basename "$log"): |" "$log" >&2
    done
    exit 1
}

# The user's own world: home, runtime folder, power log; nothing of root's environment.
mkdir -p "$work/home" "$work/runtime" "$work/mine"
chown "$user:$group" "$work/home" "$work/runtime" "$work/mine"
chmod 700 "$work/runtime"
user_env=(HOME="$work/home" PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$work/runtime" LANG=C.UTF-8 LUMBRA_LANGID=0x0409
    LUMBRA_POWER_LOG="$work/mine/power.log" LUMBRA_POWER_FORBIDDEN=1 LUMBRA_BENCH_MARKERS=1
    DBUS_SESSION_BUS_ADDRESS="unix:path=$work/runtime/no-bus")
as_user() { setpriv --reuid="$user" --regid="$group" --clear-groups env -i "${user_env[@]}" DISPLAY="${display:-}" "$@"; }
# Whether the user's exported tree holds a text (read whole first: grep -q would cut the
# export short, which pipefail counts as a failure).
tree_holds() {
    local tree
    tree=$(cd "$work/home" && as_user lumbra --exportRegister --utf8 2>"$work/export.log") && grep -qF "$1" <<<"$tree"
}

(cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) || fail "cpack -G DEB failed"
package=$(sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' "$work/cpack.log")
[[ $(basename "$package") =~ ^lumbra_[0-9.]+_amd64\.deb$ ]] || fail "unexpected package name: $package"

# dpkg, not apt: a dependency missing here is a failure, never a download that stays.
installed=1
dpkg -i "$package" >"$work/dpkg.log" 2>&1 || fail "the package does not install"
for file in /usr/bin/lumbra /usr/share/applications/lumbra.desktop /usr/share/xsessions/lumbra.desktop \
    /opt/lumbra/lumbra /opt/lumbra/EN.reg /opt/lumbra/Language/lumbrashutdownDE.qm; do
    [ -e "$file" ] || fail "the package has no $file"
done

(cd /opt/lumbra && as_user lumbra --installRegister >"$work/install.log" 2>&1) || fail "lumbra --installRegister failed"
tree_holds 'Lumbra\EN\System]' || fail "no factory settings after --installRegister"
# Past the first start's question, as the person would be after answering it.
printf 'Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\ORTAN\\Lumbra\\EN\\System]\n"IS_FIRST_RUN"="0"\n' \
    >"$work/mine/EN.reg"
(cd "$work/mine" && as_user lumbra --installRegister >>"$work/install.log" 2>&1) || fail "installing a file of one's own failed"

(exec setpriv --reuid="$user" --regid="$group" --clear-groups \
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp) 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
display=":$(head -n 1 "$work/display")"

# exec all the way down (setpriv, env, the lumbra-start script): $! is the launcher.
(cd "$work/home" && exec setpriv --reuid="$user" --regid="$group" --clear-groups \
    env -i "${user_env[@]}" DISPLAY="$display" lumbra) 2>"$work/lumbra.log" &
launcher=$!
pids+=($launcher)
for _ in $(seq 300); do grep -qx all-built "$work/lumbra.log" && break; sleep 0.1; done
grep -qx all-built "$work/lumbra.log" || fail "the launcher showed no pages"
[ "$(ps -o user= -p "$launcher")" = "$user" ] || fail "the launcher does not run as $user"

# Drag the package's own menu entry from the top left corner onto the page, as from a menu.
entry=/usr/share/applications/lumbra.desktop
(exec setpriv --reuid="$user" --regid="$group" --clear-groups \
    env -i "${user_env[@]}" DISPLAY="$display" "$drag_source" "$entry") 2>"$work/drag.log" &
dragger=$!
pids+=($dragger)
as_user xdotool search --sync --onlyvisible --name '^lumbra-drag-source$' >/dev/null
as_user xdotool mousemove 50 50 mousedown 1
for step in $(seq 1 10); do
    as_user xdotool mousemove $((50 + step * 45)) $((50 + step * 35))
    sleep 0.1
done
as_user xdotool mouseup 1

# The drop dialog (674 x 180, frameless) offers the entry; its OK button adds it.
dialog=""
for _ in $(seq 100); do
    for window in $(as_user xdotool search --onlyvisible --pid "$launcher" 2>/dev/null); do
        as_user xdotool getwindowgeometry --shell "$window" | grep -qx 'WIDTH=674' && dialog=$window
    done
    [ -n "$dialog" ] && break
    sleep 0.1
done
[ -n "$dialog" ] || fail "no drop dialog"
wait "$dragger" || fail "the launcher did not take the drop"
eval "$(as_user xdotool getwindowgeometry --shell "$dialog" | grep -E '^[XY]=')"
as_user xdotool mousemove $((X + 510)) $((Y + 135)) click 1
for _ in $(seq 100); do tree_holds "$entry" && break; sleep 0.1; done
tree_holds "\"ICON_AP_EXE_LOCATION\"=\"\\\"$entry\\\"\"" || fail "the dropped entry is not in the user's settings"

as_user lumbra --close >/dev/null 2>&1 || true
for _ in $(seq 100); do kill -0 "$launcher" 2>/dev/null || break; sleep 0.1; done
kill -0 "$launcher" 2>/dev/null && fail "lumbra --close did not end the launcher"
dpkg --purge lumbra >"$work/dpkg.log" 2>&1 || fail "the package does not remove"
installed=""
[ ! -e /opt/lumbra ] && [ ! -e /usr/bin/lumbra ] || fail "files of the package are left after its removal"
echo "PASS: $(basename "$package") installs, runs as $user, takes a drop and removes"
