#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Plants each fault of scripts/faults/ (one small patch each) into a scratch copy of the
# committed tree, builds it, runs the suite and prints which test caught it. A fault no test
# notices is a hole in the tests; a patch that no longer applies needs refreshing.
#
#   bash scripts/planted_faults.sh                 # every fault
#   bash scripts/planted_faults.sh notice ical     # the faults whose names hold a word
#
# The scratch copy is a detached git worktree at build-faults/tree (ignored by git; another
# folder with NUDGEWELL_FAULTS_DIR), built incrementally with ccache in its build/; the table
# also goes to report.txt there. The fuzzers and benchmarks are not run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scratch=${NUDGEWELL_FAULTS_DIR:-$root/build-faults}
tree=$scratch/tree
build=$tree/build
report=$scratch/report.txt
revision=$(git rev-parse HEAD)

if [ ! -e "$tree/.git" ]; then
    mkdir -p "$scratch"
    git worktree prune
    git worktree add --detach "$tree" "$revision" >/dev/null
fi
git -C "$tree" checkout --quiet --force --detach "$revision"
git -C "$tree" clean --quiet -fd

# Paths relative to the checkout, so that its objects are shared with the usual build/.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=1
export CCACHE_SLOPPINESS=${CCACHE_SLOPPINESS:-pch_defines,time_macros}
options=()
if command -v ccache >/dev/null; then
    options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# Each fault relinks every suite; lld does that several times faster.
if command -v ld.lld >/dev/null; then
    options+=(-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld)
fi
cmake -S "$tree" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNUDGEWELL_WERROR=ON \
    "${options[@]}" >/dev/null

build_tree() { nice cmake --build "$build" >"$scratch/build.log" 2>&1; }
run_suite() {
    ctest --test-dir "$build" --parallel 2 --stop-on-failure >"$scratch/ctest.log" 2>&1
}
failed_tests() {
    local log=$build/Testing/Temporary/LastTestsFailed.log
    [ -f "$log" ] && cut -d: -f2 "$log" | paste -sd' ' || true
}

# A fault can only be judged against a suite that passes without it.
if ! build_tree; then
    tail -n 30 "$scratch/build.log" >&2
    echo "the unchanged tree does not build" >&2
    exit 1
fi
if ! run_suite; then
    tail -n 30 "$scratch/ctest.log" >&2
    echo "the unchanged tree fails its tests: $(failed_tests)" >&2
    exit 1
fi

patches=()
for patch in "$root"/scripts/faults/*.patch; do
    name=$(basename "$patch" .patch)
    if [ "$#" -eq 0 ]; then
        patches+=("$patch")
    else
        for word in "$@"; do
            if [[ $name == *"$word"* ]]; then
                patches+=("$patch")
                break
            fi
        done
    fi
done

printf '%-42s %s\n' "fault" "caught by" | tee "$report"
missed=0
for patch in "${patches[@]}"; do
    name=$(basename "$patch" .patch)
    started=$SECONDS
    if ! git -C "$tree" apply "$patch" 2>/dev/null; then
        verdict="DOES NOT APPLY"
        missed=$((missed + 1))
    elif ! build_tree; then
        verdict="DOES NOT BUILD"
        missed=$((missed + 1))
    elif run_suite; then
        verdict="NOT CAUGHT"
        missed=$((missed + 1))
    else
        verdict=$(failed_tests)
    fi
    # Put back the file only; the next build compiles it again (from ccache).
    git -C "$tree" checkout --quiet -- .
    printf '%-42s %s  (%ss)\n' "$name" "$verdict" "$((SECONDS - started))" | tee -a "$report"
done
echo "${#patches[@]} faults, $missed not caught" | tee -a "$report"
[ "$missed" -eq 0 ]
