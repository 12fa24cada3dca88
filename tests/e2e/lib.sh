# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the end-to-end scripts: a work folder, Xvfb on a free display, the program run
# with nothing of the user's, and clean-up of whatever was started.
set -euo pipefail

work=$(mktemp -d)
xvfb_pid=
pids=()
cleanup() {
    for pid in "${pids[@]}"; do # a stopped one ends once continued
        kill "$pid" 2>/dev/null && kill -CONT "$pid" 2>/dev/null || true
    done
    # What they write while ending must not race the removal of their folders.
    for pid in "${pids[@]}"; do
        wait_for 5 eval '! kill -0 '"$pid"' 2>/dev/null' || kill -KILL "$pid" 2>/dev/null || true
    done
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
# wait_for SECONDS COMMAND...: true once COMMAND succeeds within SECONDS.
wait_for() {
    local until=$((SECONDS + $1))
    shift
    until "$@"; do [ $SECONDS -lt $until ] || return 1; sleep 0.1; done
}

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xvfb.sh"
start_xvfb "$work" || fail "Xvfb did not start"
mkdir -p "$work/home/config" "$work/runtime"
chmod 700 "$work/runtime"

# run FOLDER LOG [ARGUMENTS...] &: the program in FOLDER; $! is its own process id.
run() {
    cd "$1" && exec env -i PATH="$PATH" DISPLAY="$display" HOME="$work/home" \
        XDG_CONFIG_HOME="$work/home/config" XDG_RUNTIME_DIR="$work/runtime" LC_ALL=C.UTF-8 \
        ${DBUS_SESSION_BUS_ADDRESS:+DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS"} \
        QT_QPA_PLATFORM=xcb ASAN_OPTIONS="${ASAN_OPTIONS:-}" LSAN_OPTIONS="${LSAN_OPTIONS:-}" \
        UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" "$binary" "${@:3}" >"$2" 2>&1
}
# start_in FOLDER: the program started there, $app its id, $window its window, FOLDER.log
# its output.
start_in() {
    run "$1" "$1.log" &
    app=$!
    pids+=("$app")
    window=$(window_of "$app")
    [ -n "$window" ] || fail "no window for a start in $1: $(cat "$1.log")"
}
# windows_of PID [--sync]: the visible main windows of that process (a loaded machine may
# take half a minute to show a sanitized build's window).
windows_of() {
    DISPLAY=$display timeout 60 xdotool search --all ${2:-} --onlyvisible --pid "$1" \
        --name '^Nudgewell$' 2>/dev/null || true
}
window_of() { windows_of "$1" --sync | head -n1; }
# press_until_end PID WINDOW KEY: presses KEY until the program ends (the window may be mapped
# a moment before it takes keys); its exit status is in $ended.
press_until_end() {
    for _ in 1 2 3 4 5; do
        DISPLAY=$display xdotool windowactivate --sync "$2" 2>/dev/null || true
        DISPLAY=$display xdotool windowfocus --sync "$2" 2>/dev/null || true
        DISPLAY=$display xdotool key --window "$2" "$3" 2>/dev/null || true
        for _ in $(seq 30); do
            kill -0 "$1" 2>/dev/null || break 2
            sleep 0.1
        done
    done
    kill -0 "$1" 2>/dev/null && fail "$3 did not end the program"
    ended=0
    wait "$1" || ended=$?
}
# end_by_f12 PID WINDOW LOG: F12 ends the program, and it ends well.
end_by_f12() {
    press_until_end "$1" "$2" F12
    [ "$ended" = 0 ] || fail "the program exited with status $ended: $(tail -n 20 "$3")"
}
