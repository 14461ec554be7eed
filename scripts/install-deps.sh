#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; does nothing when all are there.
set -euo pipefail

packages=(
    cmake g++ make
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libsqlite3-dev
    fonts-dejavu-core fonts-tlwg-loma-ttf
    librsvg2-bin qt6-l10n-tools
    xvfb xdotool imagemagick
)

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
