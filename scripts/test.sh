#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, checks the formatting, builds with warnings as errors, and runs
# every test twice: once in a plain debug build, once under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

# Every C++ file as clang-format would leave it.
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${sources[@]}"; then
    echo "Some files are not formatted: run clang-format -i on them." >&2
    exit 1
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNUDGEWELL_WERROR=ON
cmake --build build
ctest --test-dir build --output-on-failure --parallel 2

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNUDGEWELL_SANITIZE=ON \
    -DNUDGEWELL_WERROR=ON
cmake --build build-asan
ctest --test-dir build-asan --output-on-failure --parallel 2
