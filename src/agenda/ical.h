// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/date_patterns.h"
#include "data/reminder_store.h"

#include <QDateTime>

#include <span>

class QIODevice;

namespace nudgewell {

struct ICalendarCounts {
    int events = 0;
    int unreadableDates = 0;    // left out
    int unknownFrequencies = 0; // left out: the lists never show them either
};

// Every reminder as an iCalendar (RFC 5545) file: one all-day event per record, in file order,
// from the stored date on, repeating on the days the upcoming list shows it. `stamp` is the
// DTSTAMP of every event, so two exports of one file differ only there. Written to `out` in
// slices; false when a write fails.
bool writeICalendar(std::span<const ReminderRecord> records, DateOrder regionalOrder,
                    const QDateTime& stamp, QIODevice& out, ICalendarCounts* counts);

} // namespace nudgewell
