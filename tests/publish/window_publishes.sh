#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# window_publishes.sh NUDGEWELL AGENDA, on a session bus with an unlocked secret store: the
# real window under Xvfb mirrors a New and Save into radicale within 5 s, and stays
# responsive while a calendar server takes 10 s for every answer.
binary=$(realpath "$1")
agenda=$(realpath "$2")
here=$(dirname "$(realpath "$0")")
source "$here/../e2e/lib.sh"

free_port() { /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
as_user() {
    env HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" LC_ALL=C.UTF-8 "$@"
}
# The program with the session bus, where the secret store is.
run_with_bus() {
    cd "$1" && exec env -i PATH="$PATH" DISPLAY="$display" HOME="$work/home" \
        XDG_CONFIG_HOME="$work/home/config" XDG_RUNTIME_DIR="$work/runtime" LC_ALL=C.UTF-8 \
        DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS" QT_QPA_PLATFORM=xcb \
        ASAN_OPTIONS="${ASAN_OPTIONS:-}" LSAN_OPTIONS="${LSAN_OPTIONS:-}" \
        UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" "$binary" >"$2" 2>&1
}
wait_for() { # SECONDS COMMAND...: true once COMMAND succeeds within SECONDS
    local until=$((SECONDS + $1)); shift
    until "$@"; do [ $SECONDS -lt $until ] || return 1; sleep 0.2; done
}
# No window manager: focus the window, then press keys in it.
press() {
    DISPLAY=$display xdotool windowfocus --sync "$window" 2>/dev/null || true
    DISPLAY=$display xdotool "$@"
}

port=$(free_port)
url="http://127.0.0.1:$port/anna/reminders/"
printf 'anna:pw\n' >"$work/users"
cat >"$work/radicale.conf" <<CONF
[server]
hosts = 127.0.0.1:$port
[auth]
type = htpasswd
htpasswd_filename = $work/users
htpasswd_encryption = plain
[storage]
filesystem_folder = $work/storage
CONF
calendar="$work/storage/collection-root/anna/reminders"
mkdir -p "$calendar" && echo '{"tag": "VCALENDAR"}' >"$calendar/.Radicale.props"
radicale --config "$work/radicale.conf" >"$work/radicale.log" 2>&1 &
pids+=($!)
calendar_has() { grep -rqs "SUMMARY:$1" "$calendar"; }

set_up() { as_user "$agenda" --publish-to "$1" --user anna <<<pw 2>>"$work/setup.log"; }
wait_for 10 set_up "$url" || fail "set-up failed: $(cat "$work/setup.log")"
mkdir -p "$work/run"
run_with_bus "$work/run" "$work/app.log" &
app=$!
pids+=("$app")
window=$(window_of "$app")
[ -n "$window" ] || fail "no Nudgewell window appeared"
wait_for 5 calendar_has "Christmas Day" || fail "the start did not publish: $(cat "$work/app.log")"
press key F5 && sleep 0.5 && press type "Dentist visit" && press key F6
start=$SECONDS
wait_for 5 calendar_has "Dentist visit" || fail "New and Save not in the calendar within 5 s"
echo "published within $((SECONDS - start)) s"
end_by_f12 "$app" "$window" "$work/app.log"

# Every answer 10 s late: the window takes keys and writes the file at once all the same.
slow=$(free_port)
/usr/bin/python3 "$here/slow_calendar.py" "$slow" &
pids+=($!)
wait_for 5 set_up "http://127.0.0.1:$slow/cal/" || fail "no set-up with the slow server"
run_with_bus "$work/run" "$work/app.log" &
app=$!
pids+=("$app")
window=$(window_of "$app")
[ -n "$window" ] || fail "no Nudgewell window appeared"
start=$SECONDS
press key F5 && sleep 0.5 && press type "Slow day" && press key F6
wait_for 3 grep -q "Slow day" "$work/run/reminder.dat" ||
    fail "the window did not save while the server was slow"
[ $((SECONDS - start)) -lt 8 ] || fail "the window waited on the server"
end_by_f12 "$app" "$window" "$work/app.log"
grep -q 'password\|pw$' "$work/app.log" && fail "the log names the password"
echo "PASS: the window publishes in the background"
