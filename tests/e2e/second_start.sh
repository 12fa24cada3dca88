#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Two starts in one folder under Xvfb: the second must end at once without touching a file,
# leaving the first window running; a start in another folder runs beside it on its own, and
# a crashed run there does not stop the next start; a copy that cannot be reached is reported
# in a message box.
binary=$(realpath "$1")
source "$(dirname "$0")/lib.sh"
mkdir -p "$work/one" "$work/two"
snapshot() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0r sha256sum); }

run "$work/one" "$work/first.log" &
first=$!
pids+=("$first")
first_window=$(window_of "$first")
[ -n "$first_window" ] || fail "no window for the first start"
before=$(snapshot "$work/one")
[ "$(stat -c %s "$work/one/startup.dat")" = 22 ] || fail "the first start wrote no start-up record"

started=$(date +%s%N)
run "$work/one" "$work/second.log" &
second=$!
pids+=("$second")
for _ in $(seq 100); do
    kill -0 "$second" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$second" 2>/dev/null && fail "the second start in the same folder still runs after 10 s"
wait "$second" || fail "the second start ended with status $?: $(cat "$work/second.log")"
elapsed_ms=$((($(date +%s%N) - started) / 1000000))
[ "$elapsed_ms" -lt 5000 ] || fail "the second start took $elapsed_ms ms to end"
[ "$(snapshot "$work/one")" = "$before" ] || fail "the second start changed the folder"
kill -0 "$first" 2>/dev/null || fail "the first program ended"
[ "$(windows_of "$first" | wc -l)" = 1 ] || fail "the first window is gone"

run "$work/two" "$work/other.log" &
other=$!
pids+=("$other")
other_window=$(window_of "$other")
[ -n "$other_window" ] || fail "a start in another folder showed no window"
[ "$(stat -c %s "$work/two/startup.dat")" = 22 ] || fail "the other folder has no start-up record"

# A crashed run's lock must not block the next start there.
kill -KILL "$other"
wait "$other" 2>/dev/null || true
[ -e "$work/two/nudgewell.lock" ] || fail "no lock file while the program ran"
run "$work/two" "$work/again.log" &
other=$!
pids+=("$other")
other_window=$(window_of "$other")
[ -n "$other_window" ] || fail "the lock of a crashed run blocked the next start"
end_by_f12 "$other" "$other_window" "$work/again.log"
[ ! -e "$work/two/nudgewell.lock" ] || fail "the lock file outlived the program"

# A copy that holds the lock but does not answer: the start says so in a message box, and
# ends with status 1 once it is closed.
mkdir -p "$work/three"
exec 9>"$work/three/nudgewell.lock"
flock -n 9 || fail "the test could not take the lock"
run "$work/three" "$work/unreachable.log" 9>&- &
unreachable=$!
pids+=("$unreachable")
box=$(window_of "$unreachable")
[ -n "$box" ] || fail "no message box when the running copy cannot be reached: $(cat "$work/unreachable.log")"
grep -q "could not be brought to the front" "$work/unreachable.log" ||
    fail "the reason is not given: $(cat "$work/unreachable.log")"
press_until_end "$unreachable" "$box" Return
[ "$ended" = 1 ] || fail "an unreachable copy ended the start with status $ended"
[ ! -e "$work/three/reminder.dat" ] || fail "a start that did not run wrote reminder.dat"
exec 9>&-

kill -0 "$first" 2>/dev/null || fail "the first program ended with the other one"
end_by_f12 "$first" "$first_window" "$work/first.log"
[ "$(stat -c %s "$work/one/startup.dat")" = 22 ] || fail "startup.dat does not hold one record"
[ -z "$(ls -A "$work/one" | grep -vxE 'reminder\.dat|startup\.dat')" ] ||
    fail "files left behind: $(ls -A "$work/one")"
echo "PASS: a second start in one folder ends at once (${elapsed_ms} ms); another folder runs" \
    "apart; a crashed run's lock blocks nothing; an unreachable copy is shown in a message box"
