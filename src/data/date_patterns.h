// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

namespace nudgewell {

enum class DateOrder { MonthFirst, DayFirst };

// Only the exact text "dd/mm" means day-first.
DateOrder DateOrderFromSetting(const QString& calendarFormat);
// The "Calendar Format" a user without one gets: "dd/mm" in a day-first region, else "mm/dd",
// so that the dates written agree with the regional order they are read in.
QString defaultCalendarFormat(const QLocale& locale);
// The setting's order, or that of defaultCalendarFormat when it is missing.
DateOrder DateOrderFromSetting(const QString& calendarFormat, const QLocale& locale);

struct DatePatterns {
    QString twoDigitYear; // dates shown on screen and on paper
    QString longPattern;  // dates written to the files
    DateOrder order = DateOrder::MonthFirst;

    static DatePatterns forOrder(DateOrder order);
};

// The user's regional order of day and month, read from the locale's short date format.
// The C locale counts as month-first.
DateOrder regionalDateOrder(const QLocale& locale);

// Formats with the program's own pattern tokens: d dd ddd dddd, m mm, yy yyyy, h hh, n nn,
// am/pm, and the whole-pattern names "short date", "medium date" and "long date".
QString Format(const QDateTime& moment, const QString& pattern, const QLocale& locale);
QString Format(const QDate& date, const QString& pattern, const QLocale& locale);
// The same for a date and a time of day apart: a QDateTime costs a time-zone conversion.
QString Format(const QDate& date, const QTime& time, const QString& pattern, const QLocale& locale);

// Hours, minutes and seconds, with AM/PM on a 12-hour locale, and no time zone.
QString longTimeText(const QTime& time, const QLocale& locale);

// Reads stored date text ("dd/mm/yyyy" or "mm/dd/yyyy") in the regional day/month order,
// falling back to the other order when the first reading is no date. Invalid when
// unreadable.
QDate ParseStoredDate(QStringView text, const QLocale& locale);
QDate ParseStoredDate(QStringView text, DateOrder regionalOrder);
QDate ParseStoredDate(QLatin1StringView text, DateOrder regionalOrder);

// The same reading as year, month and day, for a loop over many records: a QDate costs a
// calendar conversion to build and another to take apart.
struct DateParts {
    int year = 0; // 0: no date
    int month = 0;
    int day = 0;
    bool isValid() const { return year != 0; }
};
DateParts ParseStoredDateParts(QLatin1StringView text, DateOrder regionalOrder);

} // namespace nudgewell
