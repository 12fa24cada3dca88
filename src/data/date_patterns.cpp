// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/date_patterns.h"

namespace nudgewell {

QString defaultCalendarFormat(const QLocale& locale) {
    return regionalDateOrder(locale) == DateOrder::DayFirst ? QStringLiteral("dd/mm")
                                                            : QStringLiteral("mm/dd");
}

DateOrder DateOrderFromSetting(const QString& calendarFormat, const QLocale& locale) {
    return DateOrderFromSetting(calendarFormat.isEmpty() ? defaultCalendarFormat(locale)
                                                         : calendarFormat);
}

DateOrder DateOrderFromSetting(const QString& calendarFormat) {
    return calendarFormat == QLatin1String("dd/mm") ? DateOrder::DayFirst : DateOrder::MonthFirst;
}

DatePatterns DatePatterns::forOrder(DateOrder order) {
    if (order == DateOrder::DayFirst)
        return {QStringLiteral("dd/mm/yy"), QStringLiteral("dd/mm/yyyy"), order};
    return {QStringLiteral("mm/dd/yy"), QStringLiteral("mm/dd/yyyy"), order};
}

namespace {

// Index of the first unquoted occurrence of `c` in a Qt date format, or -1.
qsizetype unquotedIndex(const QString& format, QChar c) {
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] == QLatin1Char('\''))
            quoted = !quoted;
        else if (!quoted && format[i] == c)
            return i;
    }
    return -1;
}

QString twoDigits(int n) {
    if (n < 0 || n > 99)
        return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
    const QChar digits[2] = {QChar(u'0' + n / 10), QChar(u'0' + n % 10)};
    return QString(digits, 2);
}

int runLength(const QString& s, qsizetype at, QChar c) {
    int n = 0;
    while (at + n < s.size() && s[at + n].toLower() == c)
        ++n;
    return n;
}

} // namespace

DateOrder regionalDateOrder(const QLocale& locale) {
    if (locale.language() == QLocale::C)
        return DateOrder::MonthFirst;
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    const qsizetype day = unquotedIndex(format, QLatin1Char('d'));
    const qsizetype month = unquotedIndex(format, QLatin1Char('M'));
    return (day >= 0 && month >= 0 && day < month) ? DateOrder::DayFirst : DateOrder::MonthFirst;
}

QString Format(const QDate& date, const QString& pattern, const QLocale& locale) {
    return Format(date, QTime(0, 0), pattern, locale);
}

QString Format(const QDateTime& moment, const QString& pattern, const QLocale& locale) {
    return Format(moment.date(), moment.time(), pattern, locale);
}

QString Format(const QDate& date, const QTime& time, const QString& pattern,
               const QLocale& locale) {
    const QString named = pattern.trimmed().toLower();
    if (named == QLatin1String("short date"))
        return locale.toString(date, QLocale::ShortFormat);
    if (named == QLatin1String("long date"))
        return locale.toString(date, QLocale::LongFormat);
    if (named == QLatin1String("medium date")) {
        const bool dayFirst = regionalDateOrder(locale) == DateOrder::DayFirst;
        return locale.toString(date, dayFirst ? QStringLiteral("d MMM yyyy")
                                              : QStringLiteral("MMM d, yyyy"));
    }

    const bool twelveHour = pattern.contains(QLatin1String("am/pm"), Qt::CaseInsensitive);
    QString out;
    out.reserve(pattern.size() + 8);
    qsizetype i = 0;
    while (i < pattern.size()) {
        const QChar c = pattern[i].toLower();
        if (pattern.mid(i, 5).compare(QLatin1String("am/pm"), Qt::CaseInsensitive) == 0) {
            const bool upper = pattern[i].isUpper();
            QString half = time.hour() < 12 ? QStringLiteral("am") : QStringLiteral("pm");
            out += upper ? half.toUpper() : half;
            i += 5;
            continue;
        }
        const int run = (c == 'd' || c == 'm' || c == 'y' || c == 'h' || c == 'n')
                            ? runLength(pattern, i, c)
                            : 0;
        if (c == 'd' && run > 0) {
            const int n = qMin(run, 4);
            if (n == 1)
                out += QString::number(date.day());
            else if (n == 2)
                out += twoDigits(date.day());
            else
                out += locale.dayName(date.dayOfWeek(),
                                      n == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
            i += n;
        } else if (c == 'm' && run > 0) {
            const int n = qMin(run, 2);
            out += n == 1 ? QString::number(date.month()) : twoDigits(date.month());
            i += n;
        } else if (c == 'y' && run > 0) {
            const int n = run >= 4 ? 4 : 2;
            out += n == 4 ? QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'))
                          : twoDigits(date.year() % 100);
            i += qMin(run, n);
        } else if ((c == 'h' || c == 'n') && run > 0) {
            const int n = qMin(run, 2);
            int value = c == 'n' ? time.minute() : time.hour();
            if (c == 'h' && twelveHour)
                value = value % 12 == 0 ? 12 : value % 12;
            out += n == 1 ? QString::number(value) : twoDigits(value);
            i += n;
        } else {
            out += pattern[i];
            ++i;
        }
    }
    return out;
}

QString longTimeText(const QTime& time, const QLocale& locale) {
    if (locale.language() == QLocale::C)
        return time.toString(QStringLiteral("HH:mm:ss"));
    // The locale's long time names the time zone; the start-up log has no room for it.
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString kept;
    bool quoted = false;
    for (QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        kept += c;
    }
    // Some locales wrap the zone in brackets or set it off with a comma ("H:mm:ss (t)",
    // "HH:mm:ss, t"); those must go with it.
    kept.remove(QLatin1String("()")).remove(QLatin1String("[]"));
    kept = kept.simplified();
    while (kept.endsWith(QLatin1Char(',')))
        kept = kept.chopped(1).trimmed();
    QString text = locale.toString(time, kept);
    // Newer locale data puts a narrow no-break space before AM/PM; the files are 8-bit.
    text.replace(QChar(0x202F), QLatin1Char(' '));
    return text.trimmed();
}

QDate ParseStoredDate(QStringView text, const QLocale& locale) {
    return ParseStoredDate(text, regionalDateOrder(locale));
}

namespace {

// Works on the record's own bytes as well as on text, so that a view of 32,767 records does
// not decode every date first.
// QDate::isValid for the years a stored date can hold (100 to 9999), without its calendar
// lookup.
bool isValidDate(int year, int month, int day) {
    static constexpr int kDays[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1)
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month] + (month == 2 && leap);
}

DateParts partsInOrder(int first, int second, int year, DateOrder regionalOrder) {
    const bool dayFirst = regionalOrder == DateOrder::DayFirst;
    const int month = dayFirst ? second : first;
    const int day = dayFirst ? first : second;
    if (isValidDate(year, month, day))
        return {year, month, day};
    if (isValidDate(year, day, month))
        return {year, day, month};
    return {};
}

template <typename View> DateParts parseDate(View text, DateOrder regionalOrder) {
    int numbers[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int field = 0;
    const View t = text.trimmed();
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c(t[i]);
        if (c.unicode() >= '0' && c.unicode() <= '9') {
            if (digits[field] == 4)
                return {};
            numbers[field] = numbers[field] * 10 + (c.unicode() - '0');
            ++digits[field];
        } else if ((c == QLatin1Char('/') || c == QLatin1Char('-') || c == QLatin1Char('.')) &&
                   field < 2 && digits[field] > 0) {
            ++field;
        } else {
            return {};
        }
    }
    if (field != 2 || digits[0] > 2 || digits[1] > 2 || digits[2] == 0)
        return {};
    int year = numbers[2];
    if (digits[2] <= 2)
        year += year < 30 ? 2000 : 1900; // two-digit years fall in 1930..2029
    else if (year < 100)
        return {};
    return partsInOrder(numbers[0], numbers[1], year, regionalOrder);
}

QDate toDate(const DateParts& parts) {
    return parts.isValid() ? QDate(parts.year, parts.month, parts.day) : QDate();
}

} // namespace

QDate ParseStoredDate(QStringView text, DateOrder regionalOrder) {
    return toDate(parseDate(text, regionalOrder));
}

QDate ParseStoredDate(QLatin1StringView text, DateOrder regionalOrder) {
    return toDate(ParseStoredDateParts(text, regionalOrder));
}

DateParts ParseStoredDateParts(QLatin1StringView text, DateOrder regionalOrder) {
    // The form the program writes, "nn/nn/nnnn", read at once.
    if (text.size() == 10 && text[2] == QLatin1Char('/') && text[5] == QLatin1Char('/')) {
        const char* c = text.data();
        int value[8];
        bool digits = true;
        for (int i = 0, at = 0; i < 10; ++i) {
            if (i == 2 || i == 5)
                continue;
            value[at] = c[i] - '0';
            digits &= value[at] >= 0 && value[at] <= 9;
            ++at;
        }
        if (digits) {
            const int year = value[4] * 1000 + value[5] * 100 + value[6] * 10 + value[7];
            if (year < 100)
                return {};
            return partsInOrder(value[0] * 10 + value[1], value[2] * 10 + value[3], year,
                                regionalOrder);
        }
    }
    return parseDate(text, regionalOrder);
}

} // namespace nudgewell
