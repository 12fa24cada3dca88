#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program, started three days after its last start, tells what was missed meanwhile
# in a desktop notification (python3-dbusmock's notification daemon on the private session
# bus this runs on).
binary=$(realpath "$1")
source "$(dirname "$0")/lib.sh"
[ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] || fail "run me under dbus-run-session"
mkdir -p "$work/data"

/usr/bin/python3 -m dbusmock --session --template notification_daemon -l "$work/calls.log" \
    >/dev/null 2>&1 &
pids+=("$!")
for _ in $(seq 100); do
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.freedesktop.Notifications 2>/dev/null |
        grep -q 'boolean true' && break
    sleep 0.1
done

# A one-time reminder two days ago, and the last start three days ago (C locale: mm/dd/yyyy).
record() { printf '%-55s   %s%s%-10s' "$1" "$2" "$3" "$4"; }
record "Dentist" X O "$(date -d '2 days ago' +%m/%d/%Y)" >"$work/data/reminder.dat"
printf '%s10:00:00 AM ' "$(date -d '3 days ago' +%m/%d/%Y)" >"$work/data/startup.dat"

run "$work/data" "$work/program.log" &
program=$!
pids+=("$program")
window=$(window_of "$program")
[ -n "$window" ] || fail "no window: $(cat "$work/program.log")"
for _ in $(seq 100); do
    grep -q Notify "$work/calls.log" 2>/dev/null && break
    sleep 0.1
done
grep -q Notify "$work/calls.log" 2>/dev/null || fail "no notification: $(cat "$work/program.log")"
sleep 0.2 # the rest of the logged call
notify=$(tr '\n' ' ' <"$work/calls.log")
case "$notify" in
*'"1 reminder missed" "Missed since '*Dentist*) ;;
*) fail "the notification does not say what was missed: $notify" ;;
esac
end_by_f12 "$program" "$window" "$work/program.log"
[ "$(stat -c %s "$work/data/startup.dat")" = 44 ] || fail "this start was not logged after the last"
echo "PASS: $notify"
