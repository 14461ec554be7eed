#!/usr/bin/env bash
# Takes a screenshot of the launcher on the factory settings, in a virtual X server of the
# given size, with a throw-away settings store:
#
#   scripts/screenshot.sh WIDTH HEIGHT THEME TAB OUTPUT.png [LANGID]
#
# THEME is the theme's number (1 Light, 2 Dark, 3 High contrast), TAB the 0-based place of a
# top-level tab to show. Run it after a build; it needs xvfb, xdotool and imagemagick.
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
printf 'Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\ORTAN\\Lumbra\\%s\\System]\n"IS_FIRST_RUN"="0"\n"CURRENT_THEME"="%s"\n' \
    "$code" "$theme" > "$work/overrides/$code.reg"
(cd "$work/overrides" && "$OLDPWD/lumbra" --installRegister)

Xvfb "$display" -screen 0 "${width}x${height}x24" -nolisten tcp > "$work/xvfb.log" 2>&1 &
pids+=($!)
sleep 1
DISPLAY=$display ./lumbra > "$work/lumbra.log" 2>&1 &
pids+=($!)
DISPLAY=$display xdotool search --sync --onlyvisible --name '^Lumbra$' > /dev/null
sleep 1.5
# Tab labels are 176 wide with a 1-pixel separator before each.
DISPLAY=$display xdotool mousemove $((1 + tab * 177 + 88)) 32 click 1
sleep 1
# Point at the second icon, so that the highlight shows.
DISPLAY=$display xdotool mousemove $((width * 5 / 100 + 150 + (width - 750 - width * 10 / 100) / 4 + 75)) 150
sleep 0.5
DISPLAY=$display /usr/bin/import -window root "$output"
echo "$output"
