#!/usr/bin/env bash
# Takes a screenshot of the launcher on the factory settings, in a virtual X server of the
# given size, with a throw-away settings store:
#
#   scripts/screenshot.sh WIDTH HEIGHT THEME TAB OUTPUT.png [LANGID]
#
# THEME is the theme's number (1 Light, 2 Dark, 3 High contrast), TAB the 0-based place of a
# top-level tab to show. With LUMBRA_SHOT_FIT=0 the settings lack FIT_TO_SCREEN, as a tree
# installed before it does; LUMBRA_SHOT_KEYS are the keys pressed on that tab (xdotool's
# names; "Right" when not given, which highlights the second icon). Run it after a build; it
# needs xvfb, xdotool and imagemagick. With LUMBRA_SHOT_INSTALLED=1 every icon's program counts
# as installed (its target becomes /bin/true), as on a machine that has them all.
#
#   scripts/screenshot.sh --docs
#
# makes the pictures in docs/: the README's, every factory page (the sub-tab too) at each
# screen size the launcher is tried on, and the Games tab in the three themes, all with every
# program installed, reduced to 256 colours.
set -euo pipefail

if [ "${1:-}" = --docs ]; then
    self=$(realpath "$0")
    docs=$(realpath "$(dirname "$self")/../docs")
    shots=$(mktemp -d)
    trap 'rm -rf "$shots"' EXIT
    export LUMBRA_SHOT_INSTALLED=1
    mkdir -p "$docs/screens"
    # 256 colours without dithering: small files, and the pages' soft colours stay as they are.
    small() { montage "$@" -background '#d0d0d0' -strip -depth 8 miff:- | convert - +dither -colors 256 "$out"; }
    for size in 640x480 800x600 1024x600 1366x768 1920x1080 3840x2160; do
        for tab in 0 1 2 3 4; do "$self" "${size%x*}" "${size#*x}" 1 "$tab" "$shots/$size-$tab.png" > /dev/null; done
        # The Computer tab's folder, opened from its place on the second row.
        LUMBRA_SHOT_KEYS="Down Return" "$self" "${size%x*}" "${size#*x}" 1 4 "$shots/$size-5.png" > /dev/null
        out=$docs/screens/pages-$size.png small "$shots/$size"-[0-5].png -tile 3x2 -geometry 480x+4+4
    done
    for theme in 1 2 3; do "$self" 1024 600 "$theme" 3 "$shots/theme-$theme.png" > /dev/null; done
    out=$docs/screens/themes-1024x600.png small "$shots"/theme-[1-3].png -tile 3x1 -geometry 512x+4+4
    # The README's: the light theme, the dark one at 1366 x 768.
    for size in 1024x600 1366x768 1920x1080; do
        theme=1
        [ "$size" = 1366x768 ] && theme=2
        "$self" "${size%x*}" "${size#*x}" "$theme" 3 "$shots/readme.png" > /dev/null
        out=$docs/screenshot-$size.png small "$shots/readme.png" -geometry +0+0
    done
    du -ch "$docs"/screenshot-*.png "$docs"/screens/*.png | tail -1
    exit 0
fi

width=$1 height=$2 theme=$3 tab=$4 output=$(realpath -m "$5") langid=${6:-0x0409}
cd "$(dirname "$0")/../build"
work=$(mktemp -d)
# A display no other X server holds (shots may be taken while the tests run theirs).
number=$((90 + RANDOM % 100))
while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
display=:$number
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
if [ "${LUMBRA_SHOT_INSTALLED:-0}" = 1 ]; then
    icons=$(./lumbra --exportRegister --utf8 | grep -c '\\IconInfo\\[0-9]*\]')
    for n in $(seq "$icons"); do
        printf '\n[HKEY_LOCAL_MACHINE\\Software\\ORTAN\\Lumbra\\%s\\IconInfo\\%02d]\n"ICON_AP_EXE_LOCATION"="/bin/true"\n' \
            "$code" "$n" >> "$work/overrides/$code.reg"
    done
fi
(cd "$work/overrides" && "$OLDPWD/lumbra" --installRegister)

Xvfb "$display" -screen 0 "${width}x${height}x24" -nolisten tcp > "$work/xvfb.log" 2>&1 &
pids+=($!)
sleep 1
DISPLAY=$display ./lumbra > "$work/lumbra.log" 2>&1 &
pids+=($!)
# A launcher that did not start is said, rather than waited for.
window=$(DISPLAY=$display timeout 30 xdotool search --sync --onlyvisible --name '^Lumbra$' | head -n 1)
if [ -z "$window" ]; then
    echo "screenshot.sh: no launcher window at ${width}x${height}:" >&2
    cat "$work/lumbra.log" >&2
    exit 1
fi
sleep 1.5
# The tab and the second icon are chosen with the keyboard, wherever the screen's size puts
# them; the pointer waits in a corner, off the icons.
DISPLAY=$display xdotool mousemove 0 $((height - 1))
DISPLAY=$display xdotool windowfocus --sync "$window"
for _ in $(seq "$tab"); do DISPLAY=$display xdotool key Tab; done
DISPLAY=$display xdotool key ${LUMBRA_SHOT_KEYS:-Right}
sleep 1
DISPLAY=$display /usr/bin/import -window root "$output"
echo "$output"
