#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Tapelink needs.
# Does nothing when they are all present already.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git
    libgtest-dev libgmock-dev libbenchmark-dev
    libcli11-dev nlohmann-json3-dev
    libsndfile1-dev libpulse-dev libxlsxwriter-dev libzip-dev
    qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-svg-dev qt6-qpa-plugins libqt6svg6
    fonts-wqy-microhei
    xvfb xauth x11-apps imagemagick
    pulseaudio pulseaudio-utils sox libsox-fmt-all
    xdg-utils unzip python3 time
    clang clang-format libclang-rt-14-dev
    libsqlite3-dev sqlite3 libpq-dev postgresql-15 libssl-dev libsoundtouch-dev qt6-translations-l10n
    openbox xdotool dosfstools fusefat fuse3
    librsvg2-bin help2man desktop-file-utils appstream lintian dpkg-dev file man-db
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
