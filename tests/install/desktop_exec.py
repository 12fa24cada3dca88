#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints the words of a desktop entry's Exec key, NUL-separated, as a launcher reads them:
the string escapes first, then the quoting, then %% to %."""
import shlex
import sys

ESCAPES = {"s": " ", "n": "\n", "t": "\t", "r": "\r", "\\": "\\"}


def unescape(value):
    out, i = [], 0
    while i < len(value):
        if value[i] == "\\" and i + 1 < len(value):
            # Any other backslash belongs to the quoting and stays for shlex.
            out.append(ESCAPES.get(value[i + 1], value[i : i + 2]))
            i += 2
        else:
            out.append(value[i])
            i += 1
    return "".join(out)


def main():
    with open(sys.argv[1], encoding="utf-8") as entry:
        lines = [line.rstrip("\n") for line in entry]
    execs = [line[5:] for line in lines if line.startswith("Exec=")]
    if len(execs) != 1:
        sys.exit(f"{sys.argv[1]}: expected one Exec line, found {len(execs)}")
    words = [word.replace("%%", "%") for word in shlex.split(unescape(execs[0]), posix=True)]
    sys.stdout.write("\0".join(words) + "\0")


main()
