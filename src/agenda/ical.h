// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/date_patterns.h"
#include "data/reminder_store.h"

#include <QDateTime>

#include <memory>
#include <span>
#include <string>

class QIODevice;

namespace nudgewell {

struct ICalendarCounts {
    int events = 0;
    int unreadableDates = 0;    // left out
    int unknownFrequencies = 0; // left out: the lists never show them either
};

// One reminder's VEVENT at a time, as the export writes it; with `alarms`, each event also
// carries a display alarm at 09:00 on its day. Identical records get distinct UIDs by their
// order, so one writer serves one pass over one file.
class ICalendarEventWriter {
public:
    ICalendarEventWriter(DateOrder regionalOrder, const QDateTime& stamp, qsizetype count,
                         bool alarms = false);
    ~ICalendarEventWriter();

    // Appends the record's event (CRLF lines, folded) to `text`; false, with the reason
    // counted, when the record is left out. *uidAt gets where the UID starts in `text`; it
    // ends at the next CR.
    bool append(const ReminderRecord& record, std::string& text, ICalendarCounts* counts,
                std::size_t* uidAt = nullptr);

private:
    struct Impl;
    DateOrder m_order;
    std::unique_ptr<Impl> m_impl;
};

// Every reminder as an iCalendar (RFC 5545) file: one all-day event per record, in file order,
// from the stored date on, repeating on the days the upcoming list shows it. `stamp` is the
// DTSTAMP of every event, so two exports of one file differ only there. Written to `out` in
// slices; false when a write fails.
bool writeICalendar(std::span<const ReminderRecord> records, DateOrder regionalOrder,
                    const QDateTime& stamp, QIODevice& out, ICalendarCounts* counts);

} // namespace nudgewell
