// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/date_patterns.h"
#include "data/reminder_store.h"

#include <QDate>
#include <QLocale>
#include <QString>

#include <functional>
#include <span>
#include <vector>

namespace nudgewell {

// What a list line needs to know besides the records.
struct ViewContext {
    QDate today;
    DateOrder order = DateOrder::MonthFirst;         // of the shown dates
    DateOrder regionalOrder = DateOrder::MonthFirst; // of ParseStoredDate
    QLocale locale;

    static ViewContext make(const QDate& today, DateOrder order, const QLocale& locale);
};

// A line of either list and the record (1-based) it was built from.
struct ListLine {
    QString text;
    int record = 0;
};

// A reminder (1-based record number) falling on a day.
struct Occurrence {
    int record = 0;
    QDate day;
};

// "Once   ", "Weekly ", "Monthly", "Yearly ", or the code itself.
QString FrequencyWord(char frequencyCode);
// " ... N years" when the flag is 'A', else "".
QString YearsSuffix(char yearsFlag, int todayYear, int storedYear);
// Every record, sorted case-insensitively by the whole line.
std::vector<ListLine> buildAllLines(std::span<const ReminderRecord> records,
                                    const ViewContext& context);
// The occurrences from today to today + days, by day, then in file order.
std::vector<ListLine> buildUpcomingLines(std::span<const ReminderRecord> records,
                                         const ViewContext& context, int days);
// The same lines one at a time, each written into the same string, for a caller that only
// passes them on: a list of them all would be memory to touch and free. `take` gets the line
// and its record.
void forEachUpcomingLine(std::span<const ReminderRecord> records, const ViewContext& context,
                         int days, const std::function<void(const QString&, int)>& take);
// The same occurrences as the upcoming lines, in the same order, without their text.
std::vector<Occurrence> upcomingOccurrences(std::span<const ReminderRecord> records,
                                            const ViewContext& context, int days);

} // namespace nudgewell
