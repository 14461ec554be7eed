#!/usr/bin/env bash
# Takes a screenshot of the launcher on the factory settings, in a virtual X server of the
# given size, with a throw-away settings store:
#
#   scripts/screenshot.sh WIDTH HEIGHT THEME TAB OUTPUT.png [LANGID]
#
# THEME is the theme's number (1 Light, 2 Dark, 3 High contrast), TAB the 0-based place of a
# top-level tab to show. With LUMBRA_SHOT_FIT=0 the settings lack FIT_TO_SCREEN, as a tree
# installed before it does. Run it after a build; it needs xvfb, xdotool and imagemagick.
set -euo pipefail

width=$1 height=$2 theme=$3 tab=$4 output=$(realpath -m "$5") langid=${6:-0x0409}
cd "$(dirname "$0")/../build"
work=$(mktemp -d)
display=:$((90 + RANDOM % 100))
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

export LUMBRA_REGISTRY=$work/registry.sqlite LUMBRA_LANGID=$langid XDG_RUNTIME_DIR=$work
./lumbra --installRegister
code=$(LUMBRA_REGISTRY=$work/registry.sqlite ./lumbra --exportRegister --utf8 | sed -n 's/.*Lumbra\\\([A-Z][A-Z]\)\\System\]/\1/p' | head -1)
# Skip the start choice and pick the theme, as the user would have.
mkdir "$work/overrides"
fit='"FIT_TO_SCREEN"="1"'
[ "${LUMBRA_SHOT_FIT:-1}" = 0 ] && fit='"FIT_TO_SCREEN"=-'
printf 'Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\ORTAN\\Lumbra\\%s\\System]\n"IS_FIRST_RUN"="0"\n"CURRENT_THEME"="%s"\n%s\n' \
    "$code" "$theme" "$fit" > "$work/overrides/$code.reg"
(cd "$work/overrides" && "$OLDPWD/lumbra" --installRegister)

Xvfb "$display" -screen 0 "${width}x${height}x24" -nolisten tcp > "$work/xvfb.log" 2>&1 &
pids+=($!)
sleep 1
DISPLAY=$display ./lumbra > "$work/lumbra.log" 2>&1 &
pids+=($!)
window=$(DISPLAY=$display xdotool search --sync --onlyvisible --name '^Lumbra$' | head -n 1)
sleep 1.5
# The tab and the second icon are chosen with the keyboard, wherever the screen's size puts
# them; the pointer waits in a corner, off the icons.
DISPLAY=$display xdotool mousemove 0 $((height - 1))
DISPLAY=$display xdotool windowfocus --sync "$window"
for _ in $(seq "$tab"); do DISPLAY=$display xdotool key Tab; done
DISPLAY=$display xdotool key Right
sleep 1
DISPLAY=$display /usr/bin/import -window root "$output"
echo "$output"
