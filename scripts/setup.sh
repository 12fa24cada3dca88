#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages needed to build, run and test Nudgewell.
# Only missing packages are installed, so a second run does nothing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang-format
    qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-documentation-tools
    libqt6help6 libqt6sql6-sqlite libqt6printsupport6 libqt6test6 libqt6dbus6
    qt6-qpa-plugins libgl-dev
    xvfb xauth xdotool poppler-utils fonts-dejavu-core
    dbus dbus-daemon python3-dbusmock
    python3-icalendar python3-vobject libical-dev
    qt6-svg-dev desktop-file-utils appstream groff-base
    clang libclang-rt-14-dev lld
    strace util-linux
    qtkeychain-qt6-dev libsecret-1-0 radicale gnome-keyring openssl
)
# scripts/screenshots.sh: a window manager, a pinned clock and a screen grabber.
if [ "${NUDGEWELL_SCREENSHOTS:-}" = 1 ]; then
    packages+=(faketime openbox imagemagick)
fi
if [ "${NUDGEWELL_BENCH:-}" = 1 ]; then
    # perf and valgrind (callgrind) find where the time goes.
    packages+=(hyperfine remind time linux-perf valgrind)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg -s "$p" >/dev/null 2>&1; then
        missing+=("$p")
    fi
done

if [ "${#missing[@]}" -gt 0 ]; then
    sudo_cmd=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo_cmd=(sudo)
    fi
    echo "Installing: ${missing[*]}"
    "${sudo_cmd[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
