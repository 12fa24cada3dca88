#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the pictures of the help pages from the real program under Xvfb and openbox:
#   bash help/screenshots.sh build
# writes help/images/main-window.png and help/images/editor.png. The sample reminders fall
# in the coming days, whatever today is.
set -euo pipefail
cd "$(dirname "$0")/.."
binary=$PWD/$1/nudgewell
images=$PWD/help/images
source scripts/xvfb.sh
desktop_in_temp
mkdir -p "$work/run" "$work/config"
{
    record "Team meeting" X W "$(date -d 'last monday' +%m/%d/%Y)"
    record "Anna's birthday" A Y "$(date -d '+3 days' +%m/%d/1986)"
    record "Dentist, 10:30" X O "$(date -d '+4 days' +%m/%d/%Y)"
    record "Pay the rent" X M "$(date -d '+5 days' +%m/%d/%Y)"
    record "Christmas Day" X Y "12/25/2001"
} >"$work/run/reminder.dat"

cd "$work/run"
env -i PATH="$PATH" DISPLAY="$DISPLAY" HOME="$work" XDG_CONFIG_HOME="$work/config" \
    LANG=en_US.UTF-8 QT_QPA_PLATFORM=xcb "$binary" >/dev/null 2>&1 &
pids+=($!)
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Nudgewell$' | head -n1)
xdotool windowactivate --sync "$window"
sleep 1
import -window "$window" -frame "$images/main-window.png"
xdotool key --window "$window" F5
sleep 0.5
xdotool type --window "$window" "Anna's birthday"
sleep 0.5
import -window "$window" -frame "$images/editor.png"
xdotool key --window "$window" F8
sleep 0.3
# The window may be gone before the key's release is sent: that is the program ending.
xdotool key --window "$window" F12 2>/dev/null || true
