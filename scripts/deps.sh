#!/bin/sh
# Installs every Debian package that building, running and testing Pelmora
# needs. Packages already installed are skipped, so a second run is quick.
# clang-14 builds the fuzz harnesses; libclang-rt-14-dev holds its libFuzzer
# and sanitizer runtimes (clang only recommends it).
set -eu

PACKAGES="cmake g++ make qt6-base-dev libsdl2-dev fonts-liberation \
xvfb xauth xdotool imagemagick sox multimon-ng dtmf2num \
dpkg-dev lintian appstream desktop-file-utils man-db weston qt6-wayland \
clang-14 libclang-rt-14-dev"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -n "$missing" ]; then
    if [ "$(id -u)" -ne 0 ]; then
        SUDO=sudo
    else
        SUDO=
    fi
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update
    # shellcheck disable=SC2086
    $SUDO apt-get install -y --no-install-recommends $missing
fi
