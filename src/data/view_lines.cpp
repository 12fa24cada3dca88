// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/view_lines.h"

#include <algorithm>
#include <array>

namespace nudgewell {

namespace {

// A date taken apart once. Every QDate field costs a calendar conversion, and the views ask
// for them for every record on every day of the window.
struct Day {
    int year = 0;
    int month = 0;
    int day = 0;
    int weekday = 0; // 1 = Monday

    explicit Day(const QDate& date) {
        date.getDate(&year, &month, &day);
        weekday = date.dayOfWeek();
    }
};

// Whether a reminder with this code and stored date falls on `day`.
bool OccursOn(char frequencyCode, const Day& stored, const Day& day) {
    switch (frequencyCode) {
    case 'W':
        return stored.weekday == day.weekday;
    case 'Y':
        return stored.month == day.month && stored.day == day.day;
    case 'O': // the century is not compared
        return stored.month == day.month && stored.day == day.day &&
               stored.year % 100 == day.year % 100;
    case 'M':
        return stored.day == day.day;
    default:
        return false;
    }
}

void appendTwoDigits(QString& out, int n) {
    out += QChar(u'0' + (n / 10) % 10);
    out += QChar(u'0' + n % 10);
}

// Builds the lines of one view: the locale's weekday names are looked up once, and each line
// is written into a single allocation.
class LineWriter {
public:
    explicit LineWriter(const ViewContext& context) : m_context(context) {
        for (int weekday = 1; weekday <= 7; ++weekday)
            m_weekdays[weekday] = context.locale.dayName(weekday, QLocale::ShortFormat);
    }

    // The date in the two-digit-year pattern, three blanks and the weekday.
    QString prefix(const Day& date) const {
        QString out;
        out.reserve(11 + m_weekdays[date.weekday].size());
        const bool dayFirst = m_context.order == DateOrder::DayFirst;
        appendTwoDigits(out, dayFirst ? date.day : date.month);
        out += u'/';
        appendTwoDigits(out, dayFirst ? date.month : date.day);
        out += u'/';
        appendTwoDigits(out, date.year % 100);
        out += QLatin1String("   ");
        out += m_weekdays[date.weekday];
        return out;
    }

    // The prefix, then the frequency word, the 55 stored characters and the years.
    QString ViewLine(QStringView prefix, const ReminderRecord& record, const QDate& stored) const {
        const QString word = FrequencyWord(record.frequencyCode());
        const QString suffix = stored.isValid() ? YearsSuffix(record.yearsFlag(),
                                                              m_context.today.year(), stored.year())
                                                : QString();
        QString out;
        out.reserve(prefix.size() + word.size() + ReminderRecord::TextLength + suffix.size() + 2);
        out += prefix;
        out += u'\t';
        out += word;
        out += u'\t';
        out += record.text();
        out += suffix;
        return out;
    }

private:
    const ViewContext& m_context;
    std::array<QString, 8> m_weekdays; // by QDate::dayOfWeek(); [0] for no date
};

} // namespace

ViewContext ViewContext::make(const QDate& today, DateOrder order, const QLocale& locale) {
    return {today, order, regionalDateOrder(locale), locale};
}

QString FrequencyWord(char frequencyCode) {
    switch (frequencyCode) {
    case 'O':
        return QStringLiteral("Once   ");
    case 'W':
        return QStringLiteral("Weekly ");
    case 'M':
        return QStringLiteral("Monthly");
    case 'Y':
        return QStringLiteral("Yearly ");
    default:
        return QString(QChar(static_cast<unsigned char>(frequencyCode)));
    }
}

QString YearsSuffix(char yearsFlag, int todayYear, int storedYear) {
    if (yearsFlag != ShowYears)
        return {};
    return QStringLiteral(" ... %1 years").arg(todayYear - storedYear);
}

std::vector<ListLine> buildAllLines(std::span<const ReminderRecord> records,
                                    const ViewContext& context) {
    const LineWriter writer(context);
    std::vector<ListLine> lines;
    lines.reserve(records.size());
    for (int i = 0; i < int(records.size()); ++i) {
        const ReminderRecord& record = records[i];
        const QDate stored = ParseStoredDate(record.dateBytes(), context.regionalOrder);
        if (stored.isValid()) {
            lines.push_back({writer.ViewLine(writer.prefix(Day(stored)), record, stored), i + 1});
        } else {
            // An unreadable date is shown as stored, with no weekday.
            QString date = record.dateText();
            while (date.endsWith(QLatin1Char(' ')))
                date.chop(1);
            lines.push_back(
                {writer.ViewLine(date + QStringLiteral("      "), record, stored), i + 1});
        }
    }
    // Folded while comparing, which gives the order of folded copies without the copies: they
    // would double the memory of a large list.
    std::sort(lines.begin(), lines.end(), [](const ListLine& a, const ListLine& b) {
        const int c = a.text.compare(b.text, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.record < b.record;
    });
    return lines;
}

namespace {

struct Found {
    int index; // 0-based
    QDate stored;
};

// The occurrences of the window today .. today + days, one bucket per day in file order, from
// one pass over the records.
std::vector<std::vector<Found>> findByDay(std::span<const ReminderRecord> records,
                                          const ViewContext& context, int days,
                                          std::vector<Day>* window) {
    days = std::clamp(days, 0, 366);
    for (int d = 0; d <= days; ++d)
        window->emplace_back(context.today.addDays(d));
    std::vector<std::vector<Found>> byDay(window->size());
    for (int i = 0; i < int(records.size()) && context.today.isValid(); ++i) {
        const char code = records[i].frequencyCode();
        if (code != 'O' && code != 'W' && code != 'M' && code != 'Y')
            continue;
        const QDate stored = ParseStoredDate(records[i].dateBytes(), context.regionalOrder);
        if (!stored.isValid())
            continue;
        const Day storedDay(stored);
        for (int d = 0; d < int(window->size()); ++d) {
            if (OccursOn(code, storedDay, (*window)[d]))
                byDay[d].push_back({i, stored});
        }
    }
    return byDay;
}

template <typename T> std::size_t totalOf(const std::vector<std::vector<T>>& buckets) {
    std::size_t total = 0;
    for (const auto& bucket : buckets)
        total += bucket.size();
    return total;
}

} // namespace

std::vector<ListLine> buildUpcomingLines(std::span<const ReminderRecord> records,
                                         const ViewContext& context, int days) {
    const LineWriter writer(context);
    std::vector<Day> window;
    const auto byDay = findByDay(records, context, days, &window);
    std::vector<ListLine> lines;
    lines.reserve(totalOf(byDay));
    for (int d = 0; d < int(window.size()); ++d) {
        const QString prefix = writer.prefix(window[d]);
        for (const Found& o : byDay[d])
            lines.push_back({writer.ViewLine(prefix, records[o.index], o.stored), o.index + 1});
    }
    return lines;
}

std::vector<Occurrence> upcomingOccurrences(std::span<const ReminderRecord> records,
                                            const ViewContext& context, int days) {
    std::vector<Day> window;
    const auto byDay = findByDay(records, context, days, &window);
    std::vector<Occurrence> out;
    out.reserve(totalOf(byDay));
    for (int d = 0; d < int(window.size()); ++d) {
        const QDate day = context.today.addDays(d);
        for (const Found& o : byDay[d])
            out.push_back({o.index + 1, day});
    }
    return out;
}

} // namespace nudgewell
