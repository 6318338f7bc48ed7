#!/usr/bin/env bash
# Installs the udev rules of tools/udev so the logged-in user can open the
# sensor board and the motion sensors of game pads. Run as root (or through
# sudo). Safe to run again, and harmless where udev is absent (containers):
# the rules are copied, reloading is skipped.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
here="$(cd "$(dirname "$0")" && pwd)"
$SUDO mkdir -p /etc/udev/rules.d
for rule in "$here"/udev/*.rules; do
    $SUDO install -m 0644 "$rule" "/etc/udev/rules.d/$(basename "$rule")"
    echo "Installed /etc/udev/rules.d/$(basename "$rule")"
done
if command -v udevadm > /dev/null 2>&1; then
    # Without a running udev daemon these fail; the rules then apply at the
    # next boot or plug-in, which is all a container needs.
    $SUDO udevadm control --reload-rules || echo "udev not running; the rules apply after the next start"
    $SUDO udevadm trigger --subsystem-match=hidraw || true
fi
