#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the real program under Xvfb in an empty folder, ends it with F12 and checks what it
# left: the sample reminder, one start-up record and the stored window size.
binary=$(realpath "$1")
source "$(dirname "$0")/lib.sh"

mkdir -p "$work/run"
run "$work/run" "$work/app.log" &
app=$!
pids+=("$app")
window=$(window_of "$app")
[ -n "$window" ] || fail "no Nudgewell window appeared"
end_by_f12 "$app" "$window" "$work/app.log"
cd "$work/run"

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
