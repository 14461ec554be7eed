#!/usr/bin/env bash
# Installs the Debian packages that building and running the launcher need; with --tests also
# those of the tests, benchmarks and fuzzing; with --headless the private X server the run
# command falls back on when there is no display. Does nothing when all are there.
set -euo pipefail

usage="usage: $0 [--tests] [--headless] [--list]"

# Building, and the program's own dependencies at run time (the package's Depends and
# Recommends, see cmake/LumbraPackage.cmake).
packages=(
    cmake g++ make
    qt6-base-dev qt6-base-dev-tools libgl-dev
    qt6-multimedia-dev
    libsqlite3-dev
    # Desktop entries (.desktop files) are read and started through GIO.
    libglib2.0-dev pkg-config
    # A font for every script of the shipped languages: Latin, Greek, Cyrillic, Arabic and
    # Hebrew in DejaVu, Thai in Loma, Chinese, Japanese and Korean in WenQuanYi Micro Hei
    # (one compact font for all three). Liberation Sans has Arial's measures, which the
    # shut-down dialog's buttons are sized for.
    fonts-dejavu-core fonts-tlwg-loma-ttf fonts-wqy-microhei fonts-liberation
    # Drawing the pictures and compiling the translations at build time.
    librsvg2-bin qt6-l10n-tools
    # Names spoken aloud: Qt's speech module with the speech-dispatcher voice (espeak-ng).
    # (Debian's Qt6TextToSpeech CMake package asks for Qt6QmlIntegration, which is in
    # qt6-declarative-dev.)
    qt6-speech-dev qt6-declarative-dev qt6-speech-speechd-plugin
    speech-dispatcher speech-dispatcher-espeak-ng espeak-ng
    # `cpack -G DEB` reads the libraries' package names with dpkg-shlibdeps.
    dpkg-dev
)

# An X server without a screen and the tools that find the window and take its picture.
headless=(xvfb xauth xdotool imagemagick)

tests=(
    "${headless[@]}"
    x11-utils
    # A session bus of its own for each end-to-end session, and dbus-send to ask it.
    dbus-daemon dbus-bin
    # The Windows backends of the platform seam: cross-compiled and run under Wine. Only the
    # compiler with Win32 threads, the one the x86_64-w64-mingw32-g++ name chooses anyway: the
    # package of both kinds downloads 57 MB more.
    g++-mingw-w64-x86-64-win32 wine64
    # The fuzz targets: clang with its libFuzzer and sanitizer runtimes.
    clang libclang-rt-14-dev
    # The style the code is written in (.clang-format): git clang-format formats what changed.
    clang-format
    # The flite voice as a fall-back; sox to record and measure what is spoken.
    qt6-speech-flite-plugin sox libsox-fmt-pulse
    # A sound server that plays into a sink of its own, for the speech benchmark to record
    # what is said on a machine without a sound card.
    pulseaudio pulseaudio-utils
    # The accessibility bus and its Python client, for the screen-reader test.
    at-spi2-core python3-pyatspi dbus-x11
    # A tray host and a small window manager, so that the end-to-end tests see the tray icons
    # docked and a minimised launcher really minimised.
    trayer openbox
    # An X server whose screen size can change, for the end-to-end test of a new resolution.
    xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
)

for option in "$@"; do
    case $option in
    --tests) packages+=("${tests[@]}") ;;
    --headless) packages+=("${headless[@]}") ;;
    --list) list=1 ;;
    *)
        echo "$usage" >&2
        exit 2
        ;;
    esac
done

# --list prints the packages instead, one a line, to measure what an install downloads.
if [ -n "${list:-}" ]; then
    printf '%s\n' "${packages[@]}" | sort -u
    exit 0
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
