#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a temporary prefix (and once more under DESTDIR), validates the
# desktop entry, the metainfo and the manual pages there, starts the installed program from
# its desktop entry under Xvfb with an empty home, and checks where its files land, that it
# finds its help, and that autostart is written and removed.
#   install_and_start.sh <build folder>
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e/lib.sh"
# A space in the prefix, so that the quoting of the autostart entry is put to work.
prefix="$work/Nudge well"
home="$work/user"
entry_value() { sed -n "s/^$2=//p" "$1"; }
# The Exec words of a desktop entry, one a line, as a launcher splits them (the prefix needs no
# string escapes; test_desktop_integration checks those).
exec_words() {
    python3 -c 'import shlex, sys
print("\n".join(w.replace("%%", "%") for w in shlex.split(sys.argv[1])))' "$(entry_value "$1" Exec)"
}

# --- Everything under DESTDIR and the prefix, nothing elsewhere.
DESTDIR="$work/stage" cmake --install "$build" --prefix /opt/nudgewell-test >"$work/stage.log" ||
    fail "install under DESTDIR: $(cat "$work/stage.log")"
[ ! -e /opt/nudgewell-test ] || fail "the DESTDIR install wrote into /opt/nudgewell-test"
(cd "$work/stage" && find . -type f -o -type l | sort) >"$work/staged"
cat >"$work/expected" <<'LIST'
./opt/nudgewell-test/bin/nudgewell
./opt/nudgewell-test/bin/nudgewell-agenda
./opt/nudgewell-test/share/applications/nudgewell.desktop
./opt/nudgewell-test/share/icons/hicolor/scalable/apps/nudgewell.svg
./opt/nudgewell-test/share/man/man1/nudgewell-agenda.1
./opt/nudgewell-test/share/man/man1/nudgewell.1
./opt/nudgewell-test/share/metainfo/com.quorvane.nudgewell.metainfo.xml
./opt/nudgewell-test/share/nudgewell/Nudgewell.qch
./opt/nudgewell-test/share/nudgewell/Nudgewell.qhc
LIST
diff -u "$work/expected" "$work/staged" || fail "the DESTDIR install holds other files"

cmake --install "$build" --prefix "$prefix" >"$work/install.log" ||
    fail "install: $(cat "$work/install.log")"
desktop="$prefix/share/applications/nudgewell.desktop"
metainfo="$prefix/share/metainfo/com.quorvane.nudgewell.metainfo.xml"

# --- The installed files pass their validators.
out=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$out" ] || fail "desktop-file-validate: $out"
out=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1) || fail "appstreamcli: $out"
for page in nudgewell nudgewell-agenda; do
    out=$(groff -man -Tutf8 -ww -z "$prefix/share/man/man1/$page.1" 2>&1)
    [ -z "$out" ] || fail "manual page $page.1: $out"
done
icon=$(entry_value "$desktop" Icon)
[ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no icon named $icon"
grep -q "<launchable type=\"desktop-id\">nudgewell.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not name the desktop entry"

# --- The terminal answers, without a display.
mkdir -p "$home" "$work/elsewhere" "$work/runtime"
chmod 700 "$work/runtime"
run() {
    env -i PATH="$prefix/bin:$PATH" HOME="$home" XDG_RUNTIME_DIR="$work/runtime" \
        LC_ALL=C.UTF-8 TZ=UTC ASAN_OPTIONS="${ASAN_OPTIONS:-}" \
        LSAN_OPTIONS="${LSAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" "$@"
}
version=$(cd "$work/elsewhere" && run nudgewell --version) || fail "--version failed"
[ "$version" = "nudgewell $(entry_value "$desktop" X-Nudgewell-Version)" ] ||
    fail "--version says '$version'"
grep -q "<release version=\"${version#nudgewell }\"" "$metainfo" ||
    fail "the metainfo has no release ${version#nudgewell }"
(cd "$work/elsewhere" && run nudgewell --help) | grep -q -- '--user-data' ||
    fail "--help does not tell of --user-data"
status=0
(cd "$work/elsewhere" && run nudgewell --no-such-option) 2>/dev/null || status=$?
[ "$status" = 2 ] || fail "a wrong option ended with $status, not 2"
[ -z "$(find "$home" "$work/elsewhere" -mindepth 1)" ] || fail "the terminal answers left files behind"

# --- The program, started as the desktop entry says.
# Each start has a session bus of its own, as in a desktop session.
start() { # entry file, then more environment
    local entry=$1
    shift
    mapfile -t words < <(exec_words "$entry")
    [ "${#words[@]}" -gt 0 ] || fail "no Exec words in $entry"
    (cd "$work/elsewhere" && exec env -i PATH="$prefix/bin:$PATH" HOME="$home" DISPLAY="$display" \
        XDG_RUNTIME_DIR="$work/runtime" LC_ALL=C.UTF-8 TZ=UTC QT_QPA_PLATFORM=xcb \
        ASAN_OPTIONS="${ASAN_OPTIONS:-}" LSAN_OPTIONS="${LSAN_OPTIONS:-}" \
        UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" "$@" dbus-run-session -- "${words[@]}" \
        >>"$work/app.log" 2>&1) &
    app_pid=$!
    pids+=("$app_pid")
    window=$(DISPLAY=$display timeout 20 xdotool search --sync --onlyvisible --name '^Nudgewell$' |
        head -n1)
    [ -n "$window" ] || fail "no Nudgewell window appeared: $(tail -n 20 "$work/app.log")"
}
press() { # key, window
    DISPLAY=$display xdotool windowactivate --sync "$2" 2>/dev/null || true
    DISPLAY=$display xdotool windowfocus --sync "$2" 2>/dev/null || true
    DISPLAY=$display xdotool key --window "$2" "$1"
}
stop() { end_by_f12 "$app_pid" "$window" "$work/app.log"; }

start "$desktop"
class=$(entry_value "$desktop" StartupWMClass)
DISPLAY=$display xdotool search --class "^$class\$" | grep -qx "$window" ||
    fail "the window's class is not StartupWMClass=$class"
stop

data="$home/.local/share/Nudgewell"
(cd "$home" && find . -type f | sort) >"$work/found"
printf '%s\n' "./.config/Quorvane Software/Nudgewell.conf" "./.local/share/Nudgewell/reminder.dat" \
    "./.local/share/Nudgewell/startup.dat" >"$work/expected"
diff -u "$work/expected" "$work/found" || fail "files outside the data folder and the settings"
[ -z "$(ls -A "$work/elsewhere")" ] || fail "files in the folder it was started from"
[ "$(stat -c %a "$data")" = 700 ] || fail "the data folder is not private: $(stat -c %a "$data")"
# What is in those files is the window tests' to check.

# --- The installed program finds its help collection (the prefix's share/nudgewell; there
# is none beside the installed program).
start "$desktop"
press F1 "$window"
help=$(DISPLAY=$display timeout 20 xdotool search --sync --onlyvisible --name '^Nudgewell Help$' |
    head -n1) || true
[ -n "$help" ] || fail "F1 opened no help window: $(tail -n 20 "$work/app.log")"
boxes=$(DISPLAY=$display xdotool search --onlyvisible --name '^Nudgewell$' | wc -l)
[ "$boxes" = 1 ] || fail "a message box came up with the help"
stop

# --- Autostart written, started from, and removed.
out=$(run "$prefix/bin/nudgewell" --install-autostart) || fail "--install-autostart: $out"
autostart="$home/.config/autostart/nudgewell.desktop"
out=$(desktop-file-validate "$autostart" 2>&1) && [ -z "$out" ] ||
    fail "desktop-file-validate autostart: $out"
mapfile -t words < <(exec_words "$autostart")
[ "${words[*]}" = "$prefix/bin/nudgewell --user-data" ] ||
    fail "the autostart entry runs '${words[*]}'"
start "$autostart" XDG_DATA_HOME="$work/data home"
stop
[ "$(stat -c %s "$work/data home/Nudgewell/startup.dat")" = 22 ] ||
    fail "a start from the autostart entry did not use \$XDG_DATA_HOME/Nudgewell"
run "$prefix/bin/nudgewell" --remove-autostart >/dev/null || fail "--remove-autostart failed"
[ ! -e "$autostart" ] || fail "$autostart is still there"
run "$prefix/bin/nudgewell" --remove-autostart >/dev/null || fail "a second removal failed"
echo "PASS: installed, validated, started from the desktop entry and from autostart"
