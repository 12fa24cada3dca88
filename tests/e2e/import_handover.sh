#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# nudgewell --import with the real program: handed to the window that runs in the folder,
# which lists the reminders and alone writes reminder.dat; on its own where none runs.
binary=$(realpath "$1")
source "$(dirname "$0")/lib.sh"
mkdir -p "$work/one" "$work/two"

# import FOLDER ARGS...: the command in FOLDER; its output in $work/out and $work/err.
import() {
    local folder=$1
    shift
    (cd "$folder" && env -i PATH="$PATH" HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" \
        XDG_RUNTIME_DIR="$work/runtime" LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen \
        ASAN_OPTIONS="${ASAN_OPTIONS:-}" LSAN_OPTIONS="${LSAN_OPTIONS:-}" \
        UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" "$binary" --import "$@" >"$work/out" 2>"$work/err")
}
crlf() { printf '%s\r\n' "$@"; }
crlf BEGIN:VCARD VERSION:3.0 'FN:Anna Berg' BDAY:1960-08-12 END:VCARD \
    BEGIN:VCARD VERSION:4.0 'FN:Leap Kid' BDAY:--0229 END:VCARD >"$work/cards.vcf"
crlf BEGIN:VCALENDAR VERSION:2.0 BEGIN:VEVENT SUMMARY:Dentist 'DTSTART;VALUE=DATE:20300305' \
    END:VEVENT BEGIN:VEVENT SUMMARY:Fortnightly DTSTART:20300305 \
    'RRULE:FREQ=WEEKLY;INTERVAL=2' END:VEVENT END:VCALENDAR >"$work/one/dates.ics"

run "$work/one" "$work/app.log" &
app=$!
pids+=("$app")
window=$(window_of "$app")
[ -n "$window" ] || fail "no window"

import "$work/one" ../cards.vcf dates.ics || fail "the import ended with $?: $(cat "$work/err")"
[ "$(cat "$work/out")" = "3 reminders added, 0 already there, 1 skipped." ] ||
    fail "summary: $(cat "$work/out")"
grep -q 'dates.ics: event 2 (Fortnightly): skipped: a reminder cannot repeat' "$work/err" ||
    fail "no reason for the skipped event: $(cat "$work/err")"
# The window lists every reminder: the sample and the three.
[ -n "$(DISPLAY=$display timeout 20 xdotool search --sync --onlyvisible --pid "$app" \
    --name '^Nudgewell -  4 saved$')" ] || fail "the window does not list the new reminders"
records() { od -An -c -w70 "$work/one/reminder.dat" | cut -c1-60 | tr -s ' '; }
[ "$(stat -c %s "$work/one/reminder.dat")" = 280 ] || fail "reminder.dat: $(records)"
for text in 'Birthday: Anna Berg' 'Birthday: Leap Kid' 'Dentist'; do
    [ "$(grep -c "$text" <(tr '\0' ' ' <"$work/one/reminder.dat" | fold -w70))" = 1 ] ||
        fail "$text is not in reminder.dat once"
done
before=$(sha256sum <"$work/one/reminder.dat")

import "$work/one" ../cards.vcf dates.ics || fail "the second import ended with $?"
[ "$(cat "$work/out")" = "0 reminders added, 3 already there, 1 skipped." ] ||
    fail "second summary: $(cat "$work/out")"
import "$work/one" missing.vcf && fail "a missing file was not reported"
grep -q 'missing.vcf: not read' "$work/err" || fail "no reason for the missing file"
import "$work/one" && fail "--import without a file was accepted"
[ "$(sha256sum <"$work/one/reminder.dat")" = "$before" ] || fail "a repeated import changed the file"
kill -0 "$app" 2>/dev/null || fail "the window ended"
end_by_f12 "$app" "$window" "$work/app.log"
[ "$(sha256sum <"$work/one/reminder.dat")" = "$before" ] || fail "the exit changed reminder.dat"

# Where no copy runs, the command adds them itself, into an empty file, and leaves no lock.
import "$work/two" "$work/cards.vcf" || fail "the import on its own ended with $?"
[ "$(stat -c %s "$work/two/reminder.dat")" = 140 ] || fail "the import on its own wrote no two"
[ "$(ls -A "$work/two")" = reminder.dat ] || fail "left behind: $(ls -A "$work/two")"
echo "PASS: an import handed to the running window and one on its own"
