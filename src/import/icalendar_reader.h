// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "import/entry.h"

#include <QByteArrayView>

#include <vector>

namespace nudgewell {

// Every VEVENT of an iCalendar file: its SUMMARY and the date of its DTSTART (a UTC time taken
// in the local time zone, any other time on its own date). No rule gives a one-time reminder;
// RRULE FREQ=YEARLY, MONTHLY or WEEKLY with an interval of 1, and with BY parts that only
// repeat DTSTART, give Yearly, Monthly and Weekly. Anything else the reminders cannot repeat
// (an interval, COUNT, UNTIL, other BY parts, EXDATE, RDATE, a changed occurrence) gives an
// entry with its problem, never a reminder that would fall on other days. "Years since <year
// of DTSTART>" as DESCRIPTION shows the years, as the export writes it.
// False, with nothing added, when the text holds no calendar.
bool readICalendar(QByteArrayView data, std::vector<ImportEntry>* entries);

} // namespace nudgewell
