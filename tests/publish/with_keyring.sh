#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a suite on the private session bus dbus-run-session gave it, with a secret store
# unlocked by a fixed password in the suite's own home: nothing of the user's keyring is seen.
set -eu
printf 'keyring-for-tests' | gnome-keyring-daemon --unlock --components=secrets --daemonize >/dev/null
exec "$@"
