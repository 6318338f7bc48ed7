#!/usr/bin/env bash
# Installs every Debian 12 package the game, its tools and its tests need
# (the last line: building the Debian package with CPack and checking it).
# Run as root (or through sudo). Safe to run again.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends \
    build-essential cmake pkg-config \
    libsdl2-dev libsdl2-mixer-dev libvorbis-dev libepoxy-dev libglm-dev \
    libstb-dev \
    libfreetype-dev libfontconfig-dev fonts-ipafont-gothic \
    libhidapi-dev libbullet-dev \
    libpng-dev libturbojpeg0-dev libsquish-dev \
    libgtest-dev libgmock-dev libbenchmark-dev \
    libgl1-mesa-dri libegl1 libegl-mesa0 libgles2 \
    xvfb xauth desktop-file-utils \
    dpkg-dev file man-db appstream lintian

# Access to the sensor board for the logged-in user (harmless without udev).
bash "$(dirname "$0")/install-udev-rule.sh"
