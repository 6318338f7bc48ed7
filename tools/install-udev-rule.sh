#!/usr/bin/env bash
# Installs the sensor board's udev rule so the logged-in user can open the
# board. Run as root (or through sudo). Safe to run again, and harmless where
# udev is absent (containers): the rule is copied, reloading is skipped.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
here="$(cd "$(dirname "$0")" && pwd)"
rule="$here/udev/70-kestrune-board.rules"
$SUDO mkdir -p /etc/udev/rules.d
$SUDO install -m 0644 "$rule" /etc/udev/rules.d/70-kestrune-board.rules
if command -v udevadm > /dev/null 2>&1; then
    # Without a running udev daemon these fail; the rule then applies at the
    # next boot or plug-in, which is all a container needs.
    $SUDO udevadm control --reload-rules || echo "udev not running; the rule applies after the next start"
    $SUDO udevadm trigger --subsystem-match=hidraw || true
fi
echo "Installed /etc/udev/rules.d/70-kestrune-board.rules"
