#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the broken reminder.dat, startup.dat and settings files the bad-file suite opens.

The files are kept in the repository; run this again after changing it. Files that cannot be
kept in git (a pipe, a folder, a link to a device) and the very large ones are made by the
suite itself.
"""
import pathlib

HERE = pathlib.Path(__file__).resolve().parent


def record(text=b"Reminder", flag=b"X", code=b"Y", date=b"12/25/2001", reserved=b"\0\0\0"):
    return text.ljust(55, b" ")[:55] + reserved + flag + code + date.ljust(10, b" ")[:10]


GOOD = record(b"Birthday", b"A", b"Y", b"08/12/1970") + record(b"Rent", b"X", b"M", b"01/12/2002")

REMINDERS = {
    "length-1": b"B",
    "length-35": record()[:35],
    "length-36": record()[:36],
    "length-69": record()[:69],
    "length-71": record() + b"X",
    "length-139": GOOD[:139],
    "zeros": b"\0" * 210,
    "ff": b"\xff" * 210,
    "control-characters": record(bytes(range(1, 32)) + b"\x7f") + GOOD,
    "date-99-99-9999": GOOD + record(date=b"99/99/9999"),
    "date-ab-cd-efgh": GOOD + record(date=b"ab/cd/efgh"),
    "date-02-30-2020": GOOD + record(date=b"02/30/2020"),
    "date-00-00-0000": GOOD + record(date=b"00/00/0000"),
    "year-0001": GOOD + record(code=b"O", date=b"12/25/0001"),
    "year-9999": GOOD + record(code=b"W", date=b"12/31/9999"),
    "date-blank": GOOD + record(date=b""),
    "date-dashes": GOOD + record(date=b"12-25-2001"),
    "date-short": GOOD + record(date=b"1/2/3"),
    "date-negative-year": GOOD + record(date=b"12/25/-001"),
    "frequency-unknown": record(code=b"Z") + record(code=b"o") + record(code=b"\0") + GOOD,
    "years-flag-unknown": record(flag=b"?") + record(flag=b"\0") + GOOD,
    "undefined-codepage-bytes": record(b"\x81\x8d\x8f\x90\x9d") + GOOD,
    "reserved-garbage": record(reserved=b"\xff\x01A") + GOOD,
    "plain-text": b"This is not a reminder file.\nIt has lines of text\r\nand nothing else.\n" * 3,
    "good-bad-good": GOOD[:70] + b"\xff" * 70 + GOOD[70:],
}

STARTUP = {
    "length-1": b"1",
    "length-21": b"17/10/200210:30:15 AM",
    "zeros": b"\0" * 66,
    "ff": b"\xff" * 66,
    "control-characters": bytes(range(0, 22)) * 2,
    "bad-dates-and-times": b"99/99/999925:61:61    ab/cd/efghxx:yy:zz AM ",
    "blank": b" " * 44,
    "year-0001-and-9999": b"01/01/000100:00:00    12/31/999923:59:59    ",
}

SETTINGS = {
    "garbled": b"\x00\xff[Nudgewell\n=\n==\nHeight\n",
    "minus-one": b"[Nudgewell]\nHeight=-1\nWidth=-1\nDays%20Checked=-1\nMinimize=-1\n",
    "letters": b"[Nudgewell]\nHeight=abc\nWidth=abc\nDays%20Checked=abc\nCalendar%20Format=abc\n",
    "huge": b"[Nudgewell]\nHeight=1e30\nWidth=1e30\nDays%20Checked=1e30\n",
    "empty-values": b"[Nudgewell]\nHeight=\nWidth=\nDays%20Checked=\nCalendar%20Format=\n"
                    b"Minimize=\nShort%20Date=\nLong%20Date=\n",
    "keys-missing": b"[Nudgewell]\n",
    "other-section-only": b"[General]\nHeight=6000\n",
    "empty-file": b"",
    "duplicate-keys": b"[Nudgewell]\nHeight=6000\nHeight=7000\n[Nudgewell]\nWidth=9000\n",
    "typed-values": b"[Nudgewell]\nHeight=@Variant(\\0\\0\\0\\x7f)\nWidth=@ByteArray(9000)\n"
                    b"Days%20Checked=\"1, 2\"\n",
    "tiny-window": b"[Nudgewell]\nHeight=1\nWidth=1\n",
    "days-past-a-year": b"[Nudgewell]\nDays%20Checked=367\n",
    "unicode-bom": b"\xef\xbb\xbf[Nudgewell]\nLong%20Date=\"dddd, d. MMMM yyyy \xe2\x9c\x93\"\n",
    "utf16": "[Nudgewell]\nHeight=6000\n".encode("utf-16"),
}


def write(folder, suffix, files):
    target = HERE / folder
    target.mkdir(exist_ok=True)
    for name, data in files.items():
        (target / (name + suffix)).write_bytes(data)


if __name__ == "__main__":
    write("reminders", ".dat", REMINDERS)
    write("startup", ".dat", STARTUP)
    write("settings", ".conf", SETTINGS)
