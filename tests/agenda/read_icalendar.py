#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads an iCalendar file the way other calendars do, with Debian's python3-icalendar and
python3-dateutil, and prints as JSON the DTSTAMPs and the occurrences between two days:
[day, event number counted from 0, summary]. Exits with status 1 and a reason when the file
breaks RFC 5545 on a point the reader would gloss over.

usage: read_icalendar.py FILE FIRST LAST   (days as YYYY-MM-DD, both included)
"""
import datetime
import json
import re
import sys

import icalendar
from dateutil import rrule


TEXT = re.compile(r"(?:[^\\;,\x00-\x08\x0a-\x1f\x7f]|\\[\\;,nN])*")


def fail(reason):
    print(reason, file=sys.stderr)
    sys.exit(1)


def check_lines(raw):
    if not raw.endswith(b"\r\n"):
        fail("the file does not end in CRLF")
    for number, line in enumerate(raw[:-2].split(b"\r\n"), 1):
        if b"\r" in line or b"\n" in line:
            fail(f"line {number} has a bare CR or LF")
        if len(line) > 75:
            fail(f"line {number} is {len(line)} octets long")
    try:
        # A fold inside a UTF-8 sequence leaves CRLF and a blank between its bytes.
        text = raw.decode("utf-8")
    except UnicodeDecodeError as error:
        fail(f"not UTF-8: {error}")
    # The reader takes a lone backslash, comma or semicolon in a text as it stands; others
    # split the text there or drop the backslash.
    for line in re.sub(r"\r\n[ \t]", "", text).split("\r\n"):
        name, _, value = line.partition(":")
        if name in ("SUMMARY", "DESCRIPTION") and not TEXT.fullmatch(value):
            fail(f"badly escaped text: {line!r}")


def main(path, first, last):
    with open(path, "rb") as file:
        raw = file.read()
    check_lines(raw)
    calendar = icalendar.Calendar.from_ical(raw)
    if calendar.name != "VCALENDAR" or calendar.get("VERSION") != "2.0" or not calendar.get(
        "PRODID"
    ):
        fail("no VCALENDAR with VERSION 2.0 and a PRODID")
    begin = datetime.datetime.combine(first, datetime.time())
    end = datetime.datetime.combine(last, datetime.time())
    stamps, uids, occurrences = set(), set(), []
    for number, event in enumerate(calendar.walk("VEVENT")):
        uid = str(event.get("UID", ""))
        if not uid or uid in uids:
            fail(f"event {number} has no UID or a repeated one: {uid!r}")
        uids.add(uid)
        stamp = event.decoded("DTSTAMP")
        if not isinstance(stamp, datetime.datetime) or stamp.utcoffset() != datetime.timedelta(0):
            fail(f"event {number} has no DTSTAMP in UTC")
        stamps.add(stamp.strftime("%Y%m%dT%H%M%SZ"))
        start = event.decoded("DTSTART")
        if isinstance(start, datetime.datetime):
            fail(f"event {number} is not an all-day event")
        start = datetime.datetime.combine(start, datetime.time())
        if "RRULE" in event:
            rule = rrule.rrulestr(event["RRULE"].to_ical().decode(), dtstart=start)
            # RFC 5545 leaves the set undefined when DTSTART is not one of the rule's days.
            if rule[0] != start:
                fail(f"event {number}: DTSTART is not the first day of its RRULE")
            days = rule.between(begin, end, inc=True)
        else:
            days = [start] if begin <= start <= end else []
        summary = str(event.get("SUMMARY", ""))
        occurrences += [[day.date().isoformat(), number, summary] for day in days]
    occurrences.sort()
    json.dump({"stamps": sorted(stamps), "occurrences": occurrences}, sys.stdout)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        fail(__doc__)
    main(sys.argv[1], *(datetime.date.fromisoformat(day) for day in sys.argv[2:]))
