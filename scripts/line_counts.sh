#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Lines of the tracked sources, blank and comment-only lines left out: the tests against src/,
# in C++ and with their Python and shell. Keep tests at most 40 % and 45 %; aim for a third.
#   bash scripts/line_counts.sh            # the totals
#   bash scripts/line_counts.sh --files    # and each test file, largest first
set -euo pipefail
cd "$(dirname "$0")/.."

# C and C++: "//" lines and the lines of "/* */" blocks; Python and shell: "#" lines but not
# "#!".
code_lines() {
    local file
    for file in "$@"; do
        case $file in
        *.cpp | *.h) sed -E 's/^[[:space:]]+//' "$file" | grep -v -E '^($|//|/\*|\*)' ;;
        *) sed -E 's/^[[:space:]]+//' "$file" | grep -v -E '^($|#[^!]|#$)' ;;
        esac
    done | wc -l
}

mapfile -t src < <(git ls-files 'src/*.cpp' 'src/*.h')
mapfile -t cpp < <(git ls-files 'tests/*.cpp' 'tests/*.h')
mapfile -t scripts < <(git ls-files 'tests/*.py' 'tests/*.sh')
s=$(code_lines "${src[@]}")
c=$(code_lines "${cpp[@]}")
p=$(code_lines "${scripts[@]}")
share() { awk -v part="$1" -v whole="$s" 'BEGIN { printf "%.1f %%", 100 * part / whole }'; }
echo "src C++ $s; tests C++ $c ($(share "$c")); with Python and shell $((c + p)) ($(share $((c + p))))"
if [ "${1:-}" = --files ]; then
    for file in "${cpp[@]}" "${scripts[@]}"; do
        echo "$(code_lines "$file") $file"
    done | sort -rn
fi
