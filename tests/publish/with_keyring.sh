#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a suite on the private session bus dbus-run-session gave it, with a secret store
# unlocked by a fixed password in the suite's own home: nothing of the user's keyring is seen.
# The store is stopped at the end, whatever the suite did.
printf 'keyring-for-tests' | gnome-keyring-daemon --foreground --unlock --components=secrets \
    >/dev/null 2>&1 &
keyring=$!
for _ in $(seq 100); do
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
        org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null |
        grep -q true && break
    sleep 0.1
done
"$@"
status=$?
kill "$keyring" 2>/dev/null
exit $status
