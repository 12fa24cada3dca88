#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scenarios.sh SCENARIO NUDGEWELL [AGENDA]: the real program under Xvfb, driven by xdotool.
binary=$(realpath "$2")
source "$(dirname "$0")/lib.sh"
running() { kill -0 "$1" 2>/dev/null; }
size_is() { [ "$(stat -c %s "$1")" = "$2" ] || fail "$1 is not $2 bytes: $3"; }

# Two starts in one folder: the second ends at once without touching a file, the first runs
# on; a copy that holds the lock but cannot be reached is told in a message box, then status
# 1. (Other folders, and locks that crashed runs left: test_single_instance.)
second_start() {
    mkdir -p "$work/one" "$work/three"
    snapshot() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0r sha256sum); }
    start_in "$work/one"
    local first=$app first_window=$window before second
    before=$(snapshot "$work/one")
    size_is "$work/one/startup.dat" 22 "the first start wrote no start-up record"
    run "$work/one" "$work/second.log" &
    second=$!
    pids+=("$second")
    wait_for 5 eval "! running $second" || fail "the second start in the same folder still runs"
    wait "$second" || fail "the second start ended with status $?: $(cat "$work/second.log")"
    [ "$(snapshot "$work/one")" = "$before" ] || fail "the second start changed the folder"
    [ "$(windows_of "$first" | wc -l)" = 1 ] || fail "the first window is gone"

    exec 9>"$work/three/nudgewell.lock"
    flock -n 9 || fail "the test could not take the lock"
    start_in "$work/three" 9>&-
    grep -q "could not be brought to the front" "$work/three.log" || fail "no reason given"
    press_until_end "$app" "$window" Return
    [ "$ended" = 1 ] || fail "an unreachable copy ended the start with status $ended"
    [ ! -e "$work/three/reminder.dat" ] || fail "a start that did not run wrote reminder.dat"
    exec 9>&-

    end_by_f12 "$first" "$first_window" "$work/one.log"
    size_is "$work/one/startup.dat" 22 "more than one start logged"
    [ "$(ls -A "$work/one")" = "$(printf 'reminder.dat\nstartup.dat')" ] ||
        fail "files left behind: $(ls -A "$work/one")"
}

# Started three days after the last start, the program tells what was missed meanwhile in a
# notification (python3-dbusmock's daemon on the private bus this runs on).
missed_notice() {
    [ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] || fail "run me under dbus-run-session"
    /usr/bin/python3 -m dbusmock --session --template notification_daemon -l "$work/calls.log" \
        >/dev/null 2>&1 &
    pids+=("$!")
    has_daemon() {
        dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
            org.freedesktop.DBus.NameHasOwner string:org.freedesktop.Notifications |
            grep -q 'boolean true'
    }
    wait_for 10 has_daemon 2>/dev/null || fail "no notification daemon"
    # A one-time reminder two days ago, the last start three days ago (C locale: mm/dd/yyyy).
    mkdir -p "$work/data"
    printf '%-55s   XO%-10s' Dentist "$(date -d '2 days ago' +%m/%d/%Y)" >"$work/data/reminder.dat"
    printf '%s10:00:00 AM ' "$(date -d '3 days ago' +%m/%d/%Y)" >"$work/data/startup.dat"
    start_in "$work/data"
    wait_for 10 grep -q Notify "$work/calls.log" || fail "no notification: $(cat "$work/data.log")"
    sleep 0.2 # the rest of the logged call
    notify=$(tr '\n' ' ' <"$work/calls.log")
    [[ "$notify" == *'"1 reminder missed" "Missed since '*Dentist* ]] ||
        fail "the notification does not say what was missed: $notify"
    end_by_f12 "$app" "$window" "$work/data.log"
    size_is "$work/data/startup.dat" 44 "this start was not logged after the last"
}

# nudgewell --import: handed to the window that runs in the folder, which lists the reminders
# and alone writes reminder.dat; on its own where none runs. (A repeated import: test_import.)
import_handover() {
    import() { (run "$1" "$work/out" --import "${@:2}"); } # FOLDER FILES...
    crlf() { printf '%s\r\n' "$@"; }
    mkdir -p "$work/one" "$work/two"
    crlf BEGIN:VCARD VERSION:3.0 'FN:Anna Berg' BDAY:1960-08-12 END:VCARD \
        BEGIN:VCARD VERSION:4.0 'FN:Leap Kid' BDAY:--0229 END:VCARD >"$work/cards.vcf"
    crlf BEGIN:VCALENDAR VERSION:2.0 BEGIN:VEVENT SUMMARY:Dentist 'DTSTART;VALUE=DATE:20300305' \
        END:VEVENT BEGIN:VEVENT SUMMARY:Fortnightly DTSTART:20300305 \
        'RRULE:FREQ=WEEKLY;INTERVAL=2' END:VEVENT END:VCALENDAR >"$work/one/dates.ics"
    start_in "$work/one"

    import "$work/one" ../cards.vcf dates.ics || fail "the import ended with $?: $(cat "$work/out")"
    grep -qx "3 reminders added, 0 already there, 1 skipped." "$work/out" &&
        grep -q 'dates.ics: event 2 (Fortnightly): skipped: a reminder cannot repeat' "$work/out" ||
        fail "summary or reasons: $(cat "$work/out")"
    # The window lists every reminder: the sample and the three.
    [ -n "$(DISPLAY=$display timeout 20 xdotool search --sync --onlyvisible --pid "$app" \
        --name '^Nudgewell -  4 saved$')" ] || fail "the window does not list the new reminders"
    size_is "$work/one/reminder.dat" 280 "$(od -An -c -w70 "$work/one/reminder.dat")"
    for text in 'Birthday: Anna Berg' 'Birthday: Leap Kid' 'Dentist'; do
        [ "$(grep -c "$text" <(tr '\0' ' ' <"$work/one/reminder.dat" | fold -w70))" = 1 ] ||
            fail "$text is not in reminder.dat once"
    done
    before=$(sha256sum <"$work/one/reminder.dat")
    import "$work/one" missing.vcf && fail "a missing file was not reported"
    grep -q 'missing.vcf: not read' "$work/out" || fail "no reason for the missing file"
    end_by_f12 "$app" "$window" "$work/one.log"
    [ "$(sha256sum <"$work/one/reminder.dat")" = "$before" ] || fail "the exit changed the file"

    import "$work/two" "$work/cards.vcf" || fail "the import on its own ended with $?"
    size_is "$work/two/reminder.dat" 140 "the import on its own wrote no two"
    [ "$(ls -A "$work/two")" = reminder.dat ] || fail "left behind: $(ls -A "$work/two")"
}

# On a session bus with an unlocked secret store (with_keyring.sh), AGENDA the third argument:
# the window mirrors a New and Save into radicale within 5 s, and stays responsive while the
# server, stopped, takes connections and never answers.
window_publishes() {
    local agenda
    agenda=$(realpath "$3")
    port=$(/usr/bin/python3 -c \
        'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    printf 'anna:pw\n' >"$work/users"
    printf '[server]\nhosts = 127.0.0.1:%s\n[auth]\ntype = htpasswd\nhtpasswd_filename = %s\n' \
        "$port" "$work/users" >"$work/radicale.conf"
    printf 'htpasswd_encryption = plain\n[storage]\nfilesystem_folder = %s\n' "$work/storage" \
        >>"$work/radicale.conf"
    calendar="$work/storage/collection-root/anna/reminders"
    mkdir -p "$calendar" "$work/run" && echo '{"tag": "VCALENDAR"}' >"$calendar/.Radicale.props"
    radicale --config "$work/radicale.conf" >"$work/radicale.log" 2>&1 &
    server=$!
    pids+=("$server")
    calendar_has() { grep -rqs "SUMMARY:$1" "$calendar"; }
    set_up() {
        env HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" LC_ALL=C.UTF-8 "$agenda" \
            --publish-to "http://127.0.0.1:$port/anna/reminders/" --user anna <<<pw \
            2>>"$work/setup.log"
    }
    wait_for 10 set_up || fail "set-up failed: $(cat "$work/setup.log")"
    # new_and_save TEXT: the window started, and a reminder added with F5, typing and F6.
    new_and_save() {
        start_in "$work/run"
        start=$SECONDS
        for keys in "key F5" "type $1" "key F6"; do
            DISPLAY=$display xdotool windowfocus --sync "$window" 2>/dev/null || true
            DISPLAY=$display xdotool $keys
            sleep 0.3
        done
    }

    new_and_save Dentist
    wait_for 5 calendar_has "Christmas Day" || fail "no publish at start: $(cat "$work/run.log")"
    wait_for 5 calendar_has Dentist || fail "New and Save not in the calendar within 5 s"
    end_by_f12 "$app" "$window" "$work/run.log"

    # The window writes the file all the same.
    kill -STOP "$server"
    new_and_save Slow
    wait_for 3 grep -q Slow "$work/run/reminder.dat" || fail "no save while the server was silent"
    [ $((SECONDS - start)) -lt 8 ] || fail "the window waited on the server"
    end_by_f12 "$app" "$window" "$work/run.log"
    kill -CONT "$server"
    ! grep -q 'password\|pw$' "$work/run.log" || fail "the log names the password"
}

"$1" "$@"
echo "PASS: $1"
