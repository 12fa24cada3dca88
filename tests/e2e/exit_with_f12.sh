#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the real program under Xvfb in an empty folder, ends it with F12 and checks what it
# left: the sample reminder, one start-up record and the stored window size.
set -euo pipefail

binary=$1
work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Xvfb picks a free display and tells us its number.
exec 3<> "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
display=":$(head -n1 "$work/display")"
[ "$display" != ":" ] || fail "Xvfb did not start"

mkdir -p "$work/home/config" "$work/run" "$work/runtime"
chmod 700 "$work/runtime"
cd "$work/run"
env -i PATH="$PATH" DISPLAY="$display" HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" \
    XDG_RUNTIME_DIR="$work/runtime" LC_ALL=C.UTF-8 QT_QPA_PLATFORM=xcb \
    ASAN_OPTIONS="${ASAN_OPTIONS:-}" LSAN_OPTIONS="${LSAN_OPTIONS:-}" \
    UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" \
    "$binary" >"$work/app.log" 2>&1 &
app_pid=$!

window=$(DISPLAY=$display timeout 20 xdotool search --sync --onlyvisible --name '^Nudgewell$' | head -n1)
[ -n "$window" ] || fail "no Nudgewell window appeared"
# The window may be mapped a moment before it takes keys: press again if it is still there.
for _ in 1 2 3 4 5; do
    DISPLAY=$display xdotool windowactivate --sync "$window" 2>/dev/null || true
    DISPLAY=$display xdotool windowfocus --sync "$window" 2>/dev/null || true
    DISPLAY=$display xdotool key --window "$window" F12 2>/dev/null || true
    for _ in $(seq 30); do
        kill -0 "$app_pid" 2>/dev/null || break 2
        sleep 0.1
    done
done
kill -0 "$app_pid" 2>/dev/null && fail "F12 did not end the program"
wait "$app_pid" || fail "the program exited with status $?: $(tail -n 20 "$work/app.log")"
app_pid=

expected_reminder=$(printf 'Christmas Day%42s\0\0\0XY12/25/2001' '' | od -An -tx1)
[ "$(od -An -tx1 reminder.dat)" = "$expected_reminder" ] || fail "reminder.dat is not the sample record"
[ "$(stat -c %s startup.dat)" = 22 ] || fail "startup.dat is not one 22-byte record"
[ "$(head -c 10 startup.dat)" = "$(date +%m/%d/%Y)" ] || fail "startup.dat is not dated today"
tail -c 12 startup.dat | grep -Eq '^[0-9]{2}:[0-9]{2}:[0-9]{2}    $' || fail "bad start-up time text"

settings="$work/home/config/Quorvane Software/Nudgewell.conf"
[ -f "$settings" ] || fail "no settings file"
grep -qx 'Days%20Checked=6' "$settings" || fail "Days Checked was not stored"
grep -qx 'Height=5655' "$settings" || fail "Height was not stored: $(cat "$settings")"
grep -qx 'Width=8900' "$settings" || fail "Width was not stored: $(cat "$settings")"
[ ! -e reminder.tmp ] || fail "reminder.tmp left behind"
echo "PASS: end-to-end start and F12 exit"
