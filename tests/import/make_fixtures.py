#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the address books and calendars the import is tested on into the folder given.

vobject and icalendar (Debian's python3-vobject and python3-icalendar) write theirs as those
libraries do; the other cards are written by hand in the shapes address books and phones
export: vCard 2.1 with quoted-printable, 4.0 with --MMDD, a byte order mark, LF or CRLF."""
import datetime
import pathlib
import sys

import icalendar
import vobject

out = pathlib.Path(sys.argv[1])
out.mkdir(parents=True, exist_ok=True)


def card(name, **dates):
    c = vobject.vCard()
    c.add("n").value = vobject.vcard.Name(family=name.split()[-1], given=name.split()[0])
    c.add("fn").value = name
    for key, value in dates.items():
        c.add(key.replace("_", "-")).value = value
    return c.serialize()


(out / "vobject.vcf").write_text(
    card("Anna Berg", bday="1960-08-12")
    + card("Dupont, Émile; Jr. \\ Zoë", bday="19851231")  # escaped , ; and \
    + card("Bartholomew Featherstonehaugh-Cholmondeley of Upper Wallop", bday="2001-01-01")
    + card("Łukasz Żak Œuvre", x_evolution_anniversary="2010-05-15")
    + card("No Dates At All"),
    encoding="utf-8", newline="")

cal = icalendar.Calendar()
cal.add("prodid", "-//test//import//EN")
cal.add("version", "2.0")


def event(summary, start, rrule=None, **extra):
    e = icalendar.Event()
    e.add("summary", summary)
    e.add("dtstart", start)
    e.add("uid", summary + "@test")
    if rrule:
        e.add("rrule", rrule)
    for key, value in extra.items():
        e.add(key, value)
    cal.add_component(e)


auckland = icalendar.Timezone.from_ical(
    "BEGIN:VTIMEZONE\r\nTZID:Pacific/Auckland\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
    "TZOFFSETFROM:+1300\r\nTZOFFSETTO:+1200\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n")
cal.add_component(auckland)
event("Dentist", datetime.date(2024, 3, 5))
event("Wedding day", datetime.date(1999, 6, 19), {"freq": "yearly"})
event("Rent", datetime.date(2024, 1, 31), {"freq": "monthly", "bymonthday": 31})
event("Choir", datetime.date(2024, 4, 2), {"freq": "weekly", "byday": "TU"})
start = datetime.datetime(2024, 3, 1, 8, 0)
e = icalendar.Event()  # the date in its own zone: 29 February in UTC
e.add("summary", "Auckland call")
e.add("dtstart", start, parameters={"TZID": "Pacific/Auckland"})
cal.add_component(e)
event("Late in UTC", datetime.datetime(2024, 3, 1, 23, 30, tzinfo=datetime.timezone.utc))
event("Every other week", datetime.date(2024, 4, 2), {"freq": "weekly", "interval": 2})
event("Three times", datetime.date(2024, 4, 2), {"freq": "monthly", "count": 3})
event("Until May", datetime.date(2024, 4, 2), {"freq": "weekly", "until": datetime.date(2024, 5, 1)})
event("Weekdays", datetime.date(2024, 4, 1), {"freq": "weekly", "byday": ["MO", "WE"]})
event("Daily", datetime.date(2024, 4, 1), {"freq": "daily"})
event("Not on Easter", datetime.date(2024, 1, 7), {"freq": "weekly"},
      exdate=datetime.date(2024, 3, 31))
event("\u65e5\u672c", datetime.date(2024, 4, 1))  # nothing the record's code page holds
event("Years since", datetime.date(1970, 5, 4), {"freq": "yearly"},
      description="Years since 1970")
(out / "icalendar.ics").write_bytes(cal.to_ical())

hand_written = {
    # A phone's 2.1 export: quoted-printable with soft line breaks, CHARSET, CRLF.
    "phone-2.1.vcf": b"BEGIN:VCARD\r\nVERSION:2.1\r\n"
    b"N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;J=C3=BCrgen;;;\r\n"
    b"FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:J=C3=BCrgen M=C3=BC=\r\nller\r\n"
    b"TEL;CELL:+49 170 0000000\r\nBDAY:1988-03-04\r\nEND:VCARD\r\n"
    b"BEGIN:VCARD\r\nVERSION:2.1\r\nN:;Grandma;;;\r\nBDAY:--03-09\r\nEND:VCARD\r\n",
    # A mail program's 4.0: VALUE=date, a time part, a line folded inside a word, ANNIVERSARY.
    "mail-4.0.vcf": b"BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Chris Ol\r\n sen\r\n"
    b"BDAY;VALUE=date:19720229\r\nANNIVERSARY:20050716T120000Z\r\nEND:VCARD\r\n",
    # A desktop address book's 3.0 with LF only and its anniversary field.
    "desktop-3.0.vcf": b"BEGIN:VCARD\nVERSION:3.0\nFN:Mia Lind\nN:Lind;Mia;;;\n"
    b"BDAY:1975-02-28\nX-EVOLUTION-ANNIVERSARY:2001-06-16\nEND:VCARD\n",
    # A contacts app: a byte order mark, --MMDD on 29 February, X-ANNIVERSARY, Latin-1.
    "contacts-bom.vcf": b"\xef\xbb\xbfBEGIN:VCARD\r\nVERSION:4.0\r\nFN:Leap Kid\r\n"
    b"BDAY:--0229\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ren\xe9e\r\n"
    b"X-ANNIVERSARY:1990-10-10\r\nEND:VCARD\r\n",
    # What must be skipped, and a card cut short: nothing of it is added.
    "odd.vcf": b"BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Text Date\r\nBDAY;VALUE=text:circa 1800\r\n"
    b"ANNIVERSARY:--08\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:2.1\r\nFN:Boss\r\n"
    b"AGENT:\r\nBEGIN:VCARD\r\nFN:Assistant\r\nBDAY:19900101\r\nEND:VCARD\r\n"
    b"BDAY:2023-02-29\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nN:;;;;\r\n"
    b"BDAY:1950-01-01\r\nEND:VCARD\r\n"
    b"BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Ancient\r\nBDAY:0050-08-12\r\nEND:VCARD\r\n"
    b"BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Cut Short\r\nBDAY:1980-01-01\r\n",
    "plain.vcf": b"Anna Berg, 12 August 1960\n",
    "empty.ics": b"",
}
for name, data in hand_written.items():
    (out / name).write_bytes(data)
