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

// "Once   ", "Weekly ", "Monthly", "Yearly ", or the code itself.
QString FrequencyWord(char frequencyCode);
// " ... N years" when the flag is 'A', else "".
QString YearsSuffix(char yearsFlag, int todayYear, int storedYear);
// Every record, sorted case-insensitively by the whole line.
std::vector<ListLine> buildAllLines(std::span<const ReminderRecord> records,
                                    const ViewContext& context);
// An upcoming line: its text (empty when not asked for), its record (1-based) and its day.
struct UpcomingLine {
    const QString& text;
    int record = 0;
    QDate day;
};
// The occurrences from today to today + days, by day, then in file order, one at a time. The
// text is written into the same string each time: a caller that only passes lines on (the
// agenda) then touches no more memory than one line's.
void forEachUpcoming(std::span<const ReminderRecord> records, const ViewContext& context, int days,
                     bool withText, const std::function<void(const UpcomingLine&)>& take);
// The same lines, kept.
std::vector<ListLine> buildUpcomingLines(std::span<const ReminderRecord> records,
                                         const ViewContext& context, int days);
// The same occurrences, without their text.
struct Occurrence {
    int record = 0;
    QDate day;
};
std::vector<Occurrence> upcomingOccurrences(std::span<const ReminderRecord> records,
                                            const ViewContext& context, int days);

} // namespace nudgewell
