#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The time nudgewell --import takes for an address book of N cards (10,000 unless given),
# each with a birthday, into an empty folder with no copy running; then again, when every
# card is already there. Usage: bench/time_import.sh build-release/nudgewell [N]
set -euo pipefail
binary=$(realpath "$1")
count=${2:-10000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/runtime" "$work/data"
chmod 700 "$work/runtime"
python3 - "$count" >"$work/cards.vcf" <<'PY'
import sys
for i in range(int(sys.argv[1])):
    sys.stdout.write("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Person Number %d\r\nN:Number;Person;;;\r\n"
                     "TEL;TYPE=cell:+1 555 %07d\r\nBDAY:%04d-%02d-%02d\r\nEND:VCARD\r\n"
                     % (i, i, 1930 + i % 90, 1 + i % 12, 1 + i % 28))
PY
for pass in first again; do
    start=$(date +%s%N)
    (cd "$work/data" && env -i PATH="$PATH" HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" \
        LC_ALL=C.UTF-8 "$binary" --import "$work/cards.vcf")
    echo "$pass: $(((($(date +%s%N) - start)) / 1000000)) ms for $count cards"
done
