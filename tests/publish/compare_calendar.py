#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""compare_calendar.py EXPORT.ics URL USER [FOREIGN-UID...]: the calendar at URL (password in
CALDAV_PASSWORD) must hold exactly the export's events, each with a display alarm at 09:00 on
its day, plus the other programs' events named. Prints the differences; exit status 1 if any."""
import os
import sys

import caldav
import icalendar


def lines(component, alarm):
    fields = [str(component.get(name, "")) for name in ("UID", "SUMMARY", "DESCRIPTION")]
    fields.append(component.decoded("DTSTART").isoformat())
    rule = component.get("RRULE")
    fields.append(rule.to_ical().decode() if rule else "")
    if alarm:
        fields.append(";".join(f"{a['ACTION']} {a['TRIGGER'].to_ical().decode()} "
                               f"{a.get('DESCRIPTION', '')}" for a in component.walk("VALARM")))
    return "|".join(fields)


export, url, user, foreign = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
with open(export, "rb") as f:
    wanted = sorted(lines(e, False) + f"|DISPLAY PT9H {e['SUMMARY']}"
                    for e in icalendar.Calendar.from_ical(f.read()).walk("VEVENT"))
client = caldav.DAVClient(url, username=user, password=os.environ["CALDAV_PASSWORD"])
found = []
for event in caldav.Calendar(client=client, url=url).events():
    for component in event.icalendar_instance.walk("VEVENT"):
        if str(component["UID"]) in foreign:
            foreign.remove(str(component["UID"]))
        else:
            found.append(lines(component, True))
found.sort()
for line in wanted:
    if line not in found:
        print("missing:", line)
for line in found:
    if found.count(line) != wanted.count(line):
        print("unexpected or twice:", line)
for uid in foreign:
    print("other program's event gone:", uid)
if wanted == found and not foreign:
    print(f"matches: {len(found)} events")
sys.exit(1 if wanted != found or foreign else 0)
