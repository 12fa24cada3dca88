#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The agenda against Remind and a plain C++ program, whole processes, on one generated file
# of 32,767 reminders: same days, same occurrences, output into a pipe, timed side by side.
#
# usage: bench/compare_agenda.sh AGENDA_DIR BENCH_DIR [COUNT]
#   AGENDA_DIR holds nudgewell-agenda; BENCH_DIR holds nudgewell-plain-agenda and
#   nudgewell-bench-generate (build/ and build/bench/ of a Release build).
set -euo pipefail

agenda=$(realpath "$1")/nudgewell-agenda
plain=$(realpath "$2")/nudgewell-plain-agenda
generate=$(realpath "$2")/nudgewell-bench-generate
count=${3:-32767}
runs=${RUNS:-30}

for tool in hyperfine remind /usr/bin/time; do
    if ! command -v "$tool" >/dev/null; then
        echo "compare_agenda.sh: $tool is missing; NUDGEWELL_BENCH=1 scripts/setup.sh installs it" >&2
        exit 1
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$generate" "$count" "$work"

# Nothing of the user's: default settings in an empty home, the C locale, and one date for
# all three tools (the agenda takes the system's; the other two are told it).
export HOME=$work/home XDG_CONFIG_HOME=$work/home/config LC_ALL=C
today=$(date +%F)
agenda_cmd=("$agenda" --file reminder.dat)
remind_cmd=(remind -q reminders.rem "$today" '*7')
plain_cmd=("$plain" reminder.dat "$today")

"${agenda_cmd[@]}" >agenda.txt
"${plain_cmd[@]}" >plain.txt
"${remind_cmd[@]}" >remind.txt

# The same lines from the agenda and the plain program.
if ! diff -q plain.txt agenda.txt >/dev/null; then
    echo "compare_agenda.sh: the agenda and the plain program disagree:" >&2
    diff -u plain.txt agenda.txt | head -20 >&2
    exit 1
fi

# The same occurrences from the agenda and Remind: (day of the window, text) pairs.
for i in 0 1 2 3 4 5 6; do date -d "$today + $i day" +%m/%d/%y; done >days.txt
awk -F'\t' 'NR == FNR { day[$0] = FNR - 1; next }
            { text = substr($3, 1, 55); sub(/ +$/, "", text); print day[substr($1, 1, 8)] "\t" text }' \
    days.txt agenda.txt | sort >agenda.pairs
awk '/^Reminders for / { ++n; next } /^No reminders\.$/ { ++n; next } NF { print n - 1 "\t" $0 }' \
    remind.txt | sort >remind.pairs
if ! diff -q agenda.pairs remind.pairs >/dev/null; then
    echo "compare_agenda.sh: the agenda and Remind disagree:" >&2
    diff agenda.pairs remind.pairs | head -20 >&2
    exit 1
fi
if [ "$(date +%F)" != "$today" ]; then
    echo "compare_agenda.sh: the date changed during the run; run it again" >&2
    exit 1
fi

echo "$count reminders, $(wc -l <agenda.txt) lines for $today and the 6 days after it; all three agree"
# Other work on the machine stretches the runs of one command and not another's.
echo "load average before timing: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
echo
hyperfine -N --output=pipe --warmup 5 --runs "$runs" --export-csv times.csv \
    --export-markdown times.md \
    -n nudgewell-agenda "${agenda_cmd[*]}" \
    -n remind "${remind_cmd[*]}" \
    -n plain "${plain_cmd[*]}"
echo
cat times.md
echo
for name in agenda remind plain; do
    cmd="${name}_cmd[@]"
    /usr/bin/time -f "%M" -o rss.txt "${!cmd}" >/dev/null
    printf 'peak memory %-16s %6d kB\n' "$name" "$(cat rss.txt)"
done
# Medians: a busy machine stretches a few runs, and means with them.
awk -F, 'NR == 1 { for (i = 1; i <= NF; ++i) if ($i == "median") col = i; next }
         { median[$1] = $col }
         END {
             slower = median["nudgewell-agenda"] / median["plain"]
             faster = median["remind"] / median["nudgewell-agenda"]
             printf "median agenda / plain  = %.2f (target at most 1.3): %s\n", slower, (slower <= 1.3) ? "met" : "MISSED"
             printf "median remind / agenda = %.2f (target at least 3):  %s\n", faster, (faster >= 3) ? "met" : "MISSED"
         }' times.csv

# CPU time, which other work on the machine stretches far less than the wall clock: perf stat
# in rounds that alternate the two programs, 20 runs each.
if command -v perf >/dev/null; then
    for round in 1 2 3 4 5; do
        for name in agenda plain; do
            cmd="${name}_cmd[@]"
            perf stat -r 20 -x, -e task-clock "${!cmd}" 2>&1 >/dev/null |
                awk -F, -v name="$name" '/task-clock/ { print name, $1 }'
        done
    done | sort -k1,1 -k2,2n | awk '
        { v[$1] = v[$1] " " $2; n[$1]++; all[$1, n[$1]] = $2 }
        END {
            for (k in n) { m[k] = all[k, int((n[k] + 1) / 2)]; printf "CPU ms %-7s%s (median %.2f)\n", k, v[k], m[k] }
            r = m["agenda"] / m["plain"]
            printf "median CPU agenda / plain = %.2f (target at most 1.3): %s\n", r, (r <= 1.3) ? "met" : "MISSED"
        }'
fi
