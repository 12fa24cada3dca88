#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# window_publishes.sh NUDGEWELL AGENDA, on a session bus with an unlocked secret store: the
# real window under Xvfb mirrors a New and Save into radicale within 5 s, and stays
# responsive while the server, stopped, never answers.
binary=$(realpath "$1")
agenda=$(realpath "$2")
source "$(dirname "$(realpath "$0")")/../e2e/lib.sh"

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
        --publish-to "http://127.0.0.1:$port/anna/reminders/" --user anna <<<pw 2>>"$work/setup.log"
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
wait_for 5 calendar_has "Christmas Day" || fail "the start did not publish: $(cat "$work/run.log")"
wait_for 5 calendar_has Dentist || fail "New and Save not in the calendar within 5 s"
end_by_f12 "$app" "$window" "$work/run.log"

# A server that takes connections and never answers: the window writes the file all the same.
kill -STOP "$server"
new_and_save Slow
wait_for 3 grep -q Slow "$work/run/reminder.dat" || fail "no save while the server was silent"
[ $((SECONDS - start)) -lt 8 ] || fail "the window waited on the server"
end_by_f12 "$app" "$window" "$work/run.log"
kill -CONT "$server"
grep -q 'password\|pw$' "$work/run.log" && fail "the log names the password"
echo "PASS: the window publishes in the background"
