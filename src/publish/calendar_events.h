// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/ical.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace nudgewell {

// One reminder as a calendar object resource: a VCALENDAR holding the export's event with its
// alarm at 09:00.
struct CalendarObject {
    QString uid;
    QByteArray data;
    QByteArray hash; // contentHash(data)
};

// The UIDs the export gives end with this; events whose UID does not are another program's.
inline constexpr char kUidSuffix[] = "@nudgewell";

std::vector<CalendarObject> calendarObjects(std::span<const ReminderRecord> records,
                                            DateOrder regionalOrder, const QDateTime& stamp,
                                            ICalendarCounts* counts);

// What a server keeps of an object: the unfolded lines, line endings, order, DTSTAMP and
// PRODID aside, which servers rewrite. Two objects with one hash say the same.
QByteArray contentHash(QByteArrayView data);

// The first UID in an iCalendar text; empty when there is none.
QString uidOf(QByteArrayView data);

} // namespace nudgewell
