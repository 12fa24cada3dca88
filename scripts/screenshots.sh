#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the README's pictures from the real program under Xvfb and openbox, with fixed
# sample reminders and the clock pinned to Monday 10 March 2025 (faketime, this script
# only), so that they come out the same after any change:
#   bash scripts/screenshots.sh [build folder, default build-release]
# writes doc/screenshots/upcoming.png, all.png and editor.png.
set -euo pipefail
cd "$(dirname "$0")/.."
NUDGEWELL_SCREENSHOTS=1 bash scripts/setup.sh
build=${1:-build-release}
if [ ! -x "$build/nudgewell" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNUDGEWELL_TESTS=OFF
    cmake --build "$build" --target nudgewell
fi
binary=$PWD/$build/nudgewell
images=$PWD/doc/screenshots
mkdir -p "$images"
source scripts/xvfb.sh
desktop_in_temp
mkdir -p "$work/run" "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
{
    record "Christmas Day" X Y "12/25/2001"
    record "Team meeting, 9:30" X W "01/06/2025"
    record "Anna's birthday" A Y "03/12/1985"
    record "Dentist, 10:30" X O "03/13/2025"
    record "Put out the recycling" X W "01/02/2025"
    record "Wedding anniversary" A Y "03/14/2010"
    record "Pay the rent" X M "01/15/2025"
    record "Water the plants" X W "01/11/2025"
    record "Renew the car insurance" X O "04/01/2025"
    record "Mum's birthday" A Y "07/22/1958"
} >"$work/run/reminder.dat"
# Wide enough for the years column (the size is in 1/1440 inch).
mkdir -p "$work/config/Quorvane Software"
printf '[Nudgewell]\nWidth=11400\nHeight=6300\n' >"$work/config/Quorvane Software/Nudgewell.conf"

cd "$work/run"
# The clock starts at the pinned moment and runs on from there, so timers still fire.
env -i PATH="$PATH" DISPLAY="$DISPLAY" HOME="$work" XDG_CONFIG_HOME="$work/config" \
    XDG_RUNTIME_DIR="$work/runtime" LC_ALL=C.UTF-8 TZ=UTC QT_QPA_PLATFORM=xcb \
    FAKETIME_DONT_FAKE_MONOTONIC=1 faketime -f '@2025-03-10 09:00:00' "$binary" \
    >"$work/app.log" 2>&1 &
app=$!
pids+=("$app")
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Nudgewell$' | head -n1)
xdotool windowactivate --sync "$window"
sleep 1
import -window "$window" -frame "$images/upcoming.png"
xdotool key --window "$window" F3
sleep 0.5
import -window "$window" -frame "$images/all.png"
xdotool key --window "$window" F5
sleep 0.5
xdotool type --window "$window" "Call the plumber"
sleep 0.5
import -window "$window" -frame "$images/editor.png"
# Cancel the new reminder (F8), so that nothing is left half made, then exit.
xdotool key --window "$window" F8
sleep 0.3
# The window may be gone before the key's release is sent: that is the program ending.
xdotool key --window "$window" F12 2>/dev/null || true
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
echo "Wrote $images/upcoming.png, all.png and editor.png"
