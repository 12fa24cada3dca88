# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the scripts that run the real program on a screen of its own.

# start_xvfb FOLDER [SCREEN]: Xvfb on a display nobody uses, which it picks and tells through a
# file in FOLDER. Sets $display and $xvfb_pid; fails when Xvfb does not come up.
start_xvfb() {
    exec 3<>"$1/display"
    Xvfb -displayfd 3 -screen 0 "${2:-1280x1024x24}" -nolisten tcp >"$1/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
        [ -s "$1/display" ] && break
        sleep 0.1
    done
    display=":$(head -n1 "$1/display")"
    [ "$display" != ":" ]
}

# start_desktop FOLDER: Xvfb at 1024x768 with openbox, as a small desktop would show the
# program; exports DISPLAY and adds both to $pids for the caller's clean-up.
start_desktop() {
    start_xvfb "$1" 1024x768x24
    pids+=("$xvfb_pid")
    export DISPLAY=$display
    openbox >/dev/null 2>&1 &
    pids+=($!)
    sleep 1
}

# desktop_in_temp: for the scripts that take pictures, $work, a folder removed at exit after
# every process in $pids is ended, with a small desktop (start_desktop) there.
desktop_in_temp() {
    work=$(mktemp -d)
    pids=()
    trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; rm -rf "$work"' EXIT
    start_desktop "$work"
}

# record TEXT YEARS FREQUENCY DATE: one record of reminder.dat, the date as mm/dd/yyyy.
record() {
    printf '%-55s\0\0\0%s%s%s' "$1" "$2" "$3" "$4"
}
