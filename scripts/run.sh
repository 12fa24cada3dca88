#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds Nudgewell and starts it in the per-user data folder,
# where its reminder.dat and startup.dat live, as the desktop entry does.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DNUDGEWELL_TESTS=OFF
cmake --build build-release

exec build-release/nudgewell --user-data
