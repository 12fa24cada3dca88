#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The iCalendar export of one generated file of 32,767 reminders, whole process, output into
# a pipe. Checks first that every reminder became an event and that a second export differs
# only in its DTSTAMP lines.
#
# usage: bench/time_ical.sh AGENDA_DIR BENCH_DIR [COUNT]
set -euo pipefail

agenda=$(realpath "$1")/nudgewell-agenda
generate=$(realpath "$2")/nudgewell-bench-generate
count=${3:-32767}
runs=${RUNS:-30}

for tool in hyperfine /usr/bin/time; do
    if ! command -v "$tool" >/dev/null; then
        echo "time_ical.sh: $tool is missing; NUDGEWELL_BENCH=1 scripts/setup.sh installs it" >&2
        exit 1
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$generate" "$count" "$work" >/dev/null
export HOME=$work/home XDG_CONFIG_HOME=$work/home/config LC_ALL=C
cmd=("$agenda" --ical --file reminder.dat)

"${cmd[@]}" >first.ics
sleep 1
"${cmd[@]}" >second.ics
events=$(grep -c '^BEGIN:VEVENT' second.ics)
if [ "$events" != "$count" ]; then
    echo "time_ical.sh: $events events for $count reminders" >&2
    exit 1
fi
if ! diff -q <(grep -v '^DTSTAMP:' first.ics) <(grep -v '^DTSTAMP:' second.ics) >/dev/null; then
    echo "time_ical.sh: two exports of one file differ beyond DTSTAMP" >&2
    exit 1
fi

echo "$count reminders, $events events, $(stat -c %s second.ics) bytes; a second export differs only in DTSTAMP"
echo "load average before timing: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
echo
hyperfine -N --output=pipe --warmup 5 --runs "$runs" --export-markdown times.md \
    -n "nudgewell-agenda --ical" "${cmd[*]}"
echo
cat times.md
/usr/bin/time -f "%M" -o rss.txt "${cmd[@]}" >/dev/null
printf '\npeak memory %d kB\n' "$(cat rss.txt)"
