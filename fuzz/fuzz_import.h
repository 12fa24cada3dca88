// SPDX-License-Identifier: GPL-3.0-or-later
// What both import readers promise whatever the bytes: every entry is a reminder the record
// can hold, or carries the reason it is not.
#pragma once

#include "import/importer.h"

#include <cstdlib>
#include <vector>

namespace nudgewell {

inline void checkEntries(const std::vector<ImportEntry>& entries) {
    for (const ImportEntry& entry : entries) {
        if (!entry.problem.isEmpty() || !recordProblem(entry).isEmpty())
            continue;
        if (!entry.date.isValid() || entry.date.year() < 1 || entry.date.year() > 9999 ||
            QByteArrayView("OWMY").indexOf(entry.frequency) < 0 || entry.where.isEmpty())
            std::abort();
        for (DateOrder order : {DateOrder::MonthFirst, DateOrder::DayFirst}) {
            const ReminderRecord record = recordFor(entry, order);
            if (ParseStoredDate(record.dateBytes(), order) != entry.date ||
                record.trimmedText() !=
                    storableText(entry.text).left(ReminderRecord::TextLength).trimmed())
                std::abort();
        }
    }
}

} // namespace nudgewell
