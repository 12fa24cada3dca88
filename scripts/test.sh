#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, checks the formatting, builds with warnings as errors, and runs
# every test twice: once in a plain debug build, once under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

# Where the time goes, one line a step, to keep the whole under 7 minutes on a fresh machine.
step_start=$SECONDS
took() {
    echo "== $1: $((SECONDS - step_start)) s (total $SECONDS s)"
    step_start=$SECONDS
}

bash scripts/setup.sh
took "packages"

# Every C++ file as clang-format would leave it.
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${sources[@]}"; then
    echo "Some files are not formatted: run clang-format -i on them." >&2
    exit 1
fi

# Line tables are all a failure report and a sanitizer's stack need; full debug information
# makes each suite's compile a sixth slower.
debug_info=-DCMAKE_CXX_FLAGS_DEBUG=-g1
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNUDGEWELL_WERROR=ON "$debug_info"
cmake --build build
took "build"
ctest --test-dir build --output-on-failure --parallel 2
took "tests"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNUDGEWELL_SANITIZE=ON \
    -DNUDGEWELL_WERROR=ON "$debug_info"
cmake --build build-asan
took "sanitizer build"
ctest --test-dir build-asan --output-on-failure --parallel 2
took "tests under the sanitizers"

# The file readers under libFuzzer (clang, ASan+UBSan): the corpus in fuzz/corpus, then a fixed
# number of inputs from a fixed seed, so that a run gives the same verdict on every
# machine; longer searches are for a developer's own time (CONTRIBUTING.md). What they find
# new stays in a temporary folder. A finding stops the run and leaves its input as crash-*
# here; add it to the corpus with its fix.
cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++
cmake --build build-fuzz
took "fuzzer build"
# Inputs per target: about 10 s each on a 2-core machine.
for target_runs in records:3000 settings:4000 vcard:10000 icalendar:10000; do
    target=${target_runs%:*}
    work=$(mktemp -d)
    # libical keeps caches from one input to the next, which the per-input leak check takes
    # for leaks and scans for at every run; leaks are still reported when the target ends.
    leaks=()
    [ "$target" = icalendar ] && leaks=(-detect_leaks=0)
    if ! build-fuzz/fuzz_$target -seed=1 -runs=${target_runs#*:} -print_final_stats=1 "${leaks[@]}" "$work" \
        fuzz/corpus/$target >"$work.log" 2>&1; then
        tail -n 60 "$work.log" >&2
        echo "fuzz_$target found a fault" >&2
        exit 1
    fi
    grep -E '^(Done|stat::number_of_executed_units)' "$work.log"
    rm -rf "$work" "$work.log"
done
took "fuzzing"
