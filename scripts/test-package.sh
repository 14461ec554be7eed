#!/usr/bin/env bash
# Makes the Debian package from a build folder, installs it on this machine and runs it as an
# ordinary user (nobody, with a home of its own in a temporary folder) on a private X server:
# `lumbra --installRegister`, the `lumbra` command, a menu entry dragged onto a page and kept.
# Removes the package again, also when a step fails. Runs only when asked for
# (LUMBRA_PACKAGE_TEST=1), as root, where dpkg is and no lumbra package is; else ends with 77.
#
#   LUMBRA_PACKAGE_TEST=1 scripts/test-package.sh BUILD_DIR DRAG_SOURCE
set -euo pipefail

build=$(realpath "$1") drag_source=$(realpath "$2")
skip() { echo "SKIPPED: $*" && exit 77; }
[ "${LUMBRA_PACKAGE_TEST:-}" = 1 ] || skip "installs a package on this machine; set LUMBRA_PACKAGE_TEST=1"
[ "$(id -u)" -eq 0 ] && command -v dpkg >/dev/null || skip "installing a package needs root and dpkg"
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || skip "needs Xvfb and xdotool"
! dpkg-query -W -f='${Status}' lumbra 2>/dev/null | grep -q installed || skip "a lumbra package is installed already"

user=nobody group=$(id -gn nobody) work=$(mktemp -d) installed="" pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    [ -z "$installed" ] || dpkg --purge lumbra >/dev/null || echo "FAIL: the package could not be removed" >&2
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    for log in "$work"/*.log; do sed "s|^|$(basename "$log"): |" "$log" >&2 || true; done
    exit 1
}

# The user's own world (home, runtime folder, power log, no session bus), nothing of root's.
chmod 755 "$work"
mkdir -m 700 "$work/home" "$work/runtime" && chown "$user:$group" "$work/home" "$work/runtime"
user_env=(HOME="$work/home" PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$work/runtime" LANG=C.UTF-8 LUMBRA_LANGID=0x0409
    LUMBRA_POWER_LOG="$work/home/power.log" LUMBRA_POWER_FORBIDDEN=1 LUMBRA_BENCH_MARKERS=1
    DBUS_SESSION_BUS_ADDRESS="unix:path=$work/runtime/no-bus")
# Call in a subshell, ( in_dir DIR COMMAND... ): it becomes the command, so $! is its process.
in_dir() {
    cd "$1" && shift
    exec setpriv --reuid="$user" --regid="$group" --clear-groups env -i "${user_env[@]}" DISPLAY="${display:-}" "$@"
}
# The exported tree is read whole first: grep -q would cut it short, a failure to pipefail.
tree_holds() { local tree && tree=$(in_dir "$work/home" lumbra --exportRegister --utf8) && grep -qF "$1" <<<"$tree"; }

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

(in_dir /opt/lumbra lumbra --installRegister) >"$work/install.log" 2>&1 || fail "lumbra --installRegister failed"
tree_holds 'Lumbra\EN\System]' || fail "no factory settings after --installRegister"
# Past the first start's question, as after answering it: a file of one's own, installed.
printf 'Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\ORTAN\\Lumbra\\EN\\System]\n"IS_FIRST_RUN"="0"\n' \
    >"$work/home/EN.reg"
(in_dir "$work/home" lumbra --installRegister) >>"$work/install.log" 2>&1 || fail "installing one's own file failed"

(in_dir / Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp) 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break || sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
display=":$(head -n 1 "$work/display")"
(in_dir "$work/home" lumbra) 2>"$work/lumbra.log" &
launcher=$! && pids+=($!)
for _ in $(seq 300); do grep -qx all-built "$work/lumbra.log" && break || sleep 0.1; done
grep -qx all-built "$work/lumbra.log" || fail "the launcher showed no pages"
[ "$(ps -o user= -p "$launcher")" = "$user" ] || fail "the launcher does not run as $user"

# The package's menu entry dragged from the top left corner onto the page.
entry=/usr/share/applications/lumbra.desktop
(in_dir / "$drag_source" "$entry") 2>"$work/drag.log" &
dragger=$! && pids+=($!)
(in_dir / xdotool search --sync --onlyvisible --name '^lumbra-drag-source$' mousemove 50 50 mousedown 1) >/dev/null
for step in $(seq 10); do (in_dir / xdotool mousemove $((50 + step * 45)) $((50 + step * 35))) && sleep 0.1; done
(in_dir / xdotool mouseup 1)
# The drop dialog (674 x 180, frameless) shows the entry; its OK button adds it.
geometry=""
for _ in $(seq 100); do
    for window in $(in_dir / xdotool search --onlyvisible --pid "$launcher" 2>/dev/null); do
        shape=$(in_dir / xdotool getwindowgeometry --shell "$window")
        grep -qx WIDTH=674 <<<"$shape" && geometry=$shape
    done
    [ -n "$geometry" ] && break || sleep 0.1
done
[ -n "$geometry" ] || fail "no drop dialog"
wait "$dragger" || fail "the launcher did not take the drop"
eval "$(grep -E '^[XY]=' <<<"$geometry")"
(in_dir / xdotool mousemove $((X + 510)) $((Y + 135)) click 1)
for _ in $(seq 100); do tree_holds "$entry" && break || sleep 0.1; done
tree_holds "\"ICON_AP_EXE_LOCATION\"=\"\\\"$entry\\\"\"" || fail "the dropped entry is not in the user's settings"

(in_dir / lumbra --close) >/dev/null 2>&1 || true
for _ in $(seq 100); do kill -0 "$launcher" 2>/dev/null && sleep 0.1 || break; done
! kill -0 "$launcher" 2>/dev/null || fail "lumbra --close did not end the launcher"
dpkg --purge lumbra >"$work/dpkg.log" 2>&1 || fail "the package does not remove"
installed=""
[ ! -e /opt/lumbra ] && [ ! -e /usr/bin/lumbra ] || fail "files of the package are left after its removal"
echo "PASS: $(basename "$package") installs, runs as $user, takes a drop and removes"
