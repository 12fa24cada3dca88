// SPDX-License-Identifier: GPL-3.0-or-later
// reminder.dat and startup.dat bytes through everything that reads them: the records, the
// stored dates and times, both lists and the start-up list's lines.
#include "data/codepage.h"
#include "data/date_patterns.h"
#include "data/reminder_store.h"
#include "data/startup_log.h"
#include "data/view_lines.h"

#include <QLocale>

#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace nudgewell;

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    const std::size_t limit = 70 * 64; // enough records for every rule, fast enough to run often
    if (size > limit)
        size = limit;

    // Records as the store reads them: whole ones, a short last one padded with blanks.
    std::vector<ReminderRecord> records;
    for (std::size_t at = 0; at < size; at += ReminderRecord::Size) {
        QByteArray record(bytes + at, qMin<std::size_t>(ReminderRecord::Size, size - at));
        record.append(ReminderRecord::Size - record.size(), ' ');
        records.push_back(ReminderRecord::fromBytes(record.constData(), record.size()));
        require(records.back().bytes() == record);
    }
    const int days = size > 0 ? data[0] % 367 : 6;
    static const QLocale locales[] = {QLocale(QLocale::English, QLocale::UnitedStates),
                                      QLocale(QLocale::German, QLocale::Germany),
                                      QLocale(QLocale::Japanese, QLocale::Japan)};
    for (const QLocale& locale : locales) {
        for (DateOrder order : {DateOrder::MonthFirst, DateOrder::DayFirst}) {
            const ViewContext context = ViewContext::make(QDate(2002, 12, 5), order, locale);
            const auto all = buildAllLines(records, context);
            require(all.size() == records.size());
            const auto upcoming = buildUpcomingLines(records, context, days);
            const auto occurrences = upcomingOccurrences(records, context, days);
            require(upcoming.size() == occurrences.size());
            for (std::size_t i = 0; i < upcoming.size(); ++i) {
                require(upcoming[i].record == occurrences[i].record);
                require(upcoming[i].record >= 1 && upcoming[i].record <= int(records.size()));
            }
        }
    }

    // The first bytes as a stored date and time: a date read is a real one, and reads the
    // same again written out in full.
    const QString text = fromCp1252(bytes, qMin<std::size_t>(size, 24));
    for (DateOrder order : {DateOrder::MonthFirst, DateOrder::DayFirst}) {
        const QDate date = ParseStoredDate(text, order);
        if (date.isValid()) {
            require(date.year() >= 1 && date.year() <= 9999);
            const QString full = QStringLiteral("%1/%2/%3")
                                     .arg(date.month(), 2, 10, QLatin1Char('0'))
                                     .arg(date.day(), 2, 10, QLatin1Char('0'))
                                     .arg(date.year(), 4, 10, QLatin1Char('0'));
            require(ParseStoredDate(full, DateOrder::MonthFirst) == date);
        }
        const QByteArray latin = QByteArray(bytes, qMin<std::size_t>(size, 10));
        ParseStoredDate(QLatin1StringView(latin), order);
    }
    for (const QLocale& locale : locales) {
        ParseStoredDate(text, locale);
        ParseStoredTime(text, locale);
    }

    // As startup.dat.
    for (std::size_t at = 0, n = 1; at < size && n <= 16; at += 22, ++n) {
        const QByteArray record(bytes + at, qMin<std::size_t>(22, size - at));
        for (StartupDateColumn column :
             {StartupDateColumn::AsStored, StartupDateColumn::Reformatted})
            require(!StartupListLine(record, int(n), column, locales[0]).isEmpty());
    }
    return 0;
}
