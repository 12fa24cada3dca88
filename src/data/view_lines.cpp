// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/view_lines.h"

#include "data/codepage.h"

#include <algorithm>
#include <array>
#include <type_traits>

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
    explicit Day(const DateParts& parts)
        : year(parts.year), month(parts.month), day(parts.day),
          weekday(QDate(year, month, day).dayOfWeek()) {}
};

void appendTwoDigits(QString& out, int n) {
    out += QChar(u'0' + (n / 10) % 10);
    out += QChar(u'0' + n % 10);
}

// A record is nothing but its 70 bytes (the file reader maps them as records), so its text
// can be decoded straight into a line.
static_assert(std::is_standard_layout_v<ReminderRecord> &&
              sizeof(ReminderRecord) == ReminderRecord::Size);
const char* textBytes(const ReminderRecord& record) {
    return reinterpret_cast<const char*>(&record);
}

// " ... N years" (YearsSuffix) into `out`; returns its length.
constexpr int kYearsLength = 24;
int writeYears(char16_t* out, int years) {
    char16_t* at = out;
    for (char16_t c : u" ... ")
        if (c)
            *at++ = c;
    if (years < 0)
        *at++ = u'-';
    unsigned rest = years < 0 ? 0u - unsigned(years) : unsigned(years);
    char16_t digits[10];
    int count = 0;
    do {
        digits[count++] = char16_t(u'0' + rest % 10);
        rest /= 10;
    } while (rest > 0);
    while (count > 0)
        *at++ = digits[--count];
    for (char16_t c : u" years")
        if (c)
            *at++ = c;
    return int(at - out);
}

QChar* put(QChar* at, QStringView text) {
    std::copy(text.begin(), text.end(), at);
    return at + text.size();
}

// Builds the lines of one view: the locale's weekday names are looked up once, and each line
// is written into a single allocation.
class LineWriter {
public:
    explicit LineWriter(const ViewContext& context)
        : m_context(context), m_todayYear(context.today.year()) {
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

    // The prefix, then the frequency word, the 55 stored characters and, for a record that
    // shows them, " ... N years" (YearsSuffix). `storedYear` is 0 for an unreadable date.
    QString ViewLine(QStringView prefix, const ReminderRecord& record, int storedYear) const {
        QString out;
        write(out, prefix, record, storedYear);
        return out;
    }

    // The same line into `out`, whose memory is reused when it is not shared.
    void write(QString& out, QStringView prefix, const ReminderRecord& record,
               int storedYear) const {
        const QString word = FrequencyWord(record.frequencyCode());
        char16_t years[kYearsLength];
        const qsizetype yearsLength = storedYear != 0 && record.yearsFlag() == ShowYears
                                          ? writeYears(years, m_todayYear - storedYear)
                                          : 0;
        const QStringView suffix(years, yearsLength);
        const qsizetype length =
            prefix.size() + word.size() + ReminderRecord::TextLength + 2 + suffix.size();
        // A line the caller kept is left to it rather than copied on resizing.
        if (out.isDetached())
            out.resize(length);
        else
            out = QString(length, Qt::Uninitialized);
        QChar* at = put(out.data(), prefix);
        *at++ = u'\t';
        at = put(at, word);
        *at++ = u'\t';
        at = putShownCp1252(at, textBytes(record), ReminderRecord::TextLength);
        put(at, suffix);
    }

private:
    const ViewContext& m_context;
    int m_todayYear;
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
        return shownText(QString(QChar(static_cast<unsigned char>(frequencyCode))));
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
        const DateParts stored = ParseStoredDateParts(record.dateBytes(), context.regionalOrder);
        if (stored.isValid()) {
            const Day day(stored);
            lines.push_back({writer.ViewLine(writer.prefix(day), record, day.year), i + 1});
        } else {
            // An unreadable date is shown as stored, with no weekday.
            QString date = shownText(record.dateText());
            while (date.endsWith(QLatin1Char(' ')))
                date.chop(1);
            lines.push_back({writer.ViewLine(date + QStringLiteral("      "), record, 0), i + 1});
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
    int storedYear;
};

// QDate::dayOfWeek (1 = Monday) without building a QDate: Sakamoto's rule for the Gregorian
// calendar, which QDate follows for every year a stored date can hold.
int weekdayOf(const DateParts& date) {
    static constexpr int kOffset[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    const int y = date.year - (date.month < 3);
    const int sunday0 = (y + y / 4 - y / 100 + y / 400 + kOffset[date.month - 1] + date.day) % 7;
    return sunday0 == 0 ? 7 : sunday0;
}

// The days of the window by what a reminder is matched on, so that each record looks up its
// days instead of comparing itself with every day.
class WindowIndex {
public:
    explicit WindowIndex(const std::vector<Day>& window) {
        for (int d = 0; d < int(window.size()); ++d) {
            const Day& day = window[d];
            m_byWeekday[day.weekday].push_back(d);
            m_byDayOfMonth[day.day].push_back(d);
            m_byMonthDay[day.month][day.day].push_back(d);
        }
    }

    // Calls found(d) for each day d of the window, in order, on which the reminder falls.
    template <typename Found>
    void forEachDay(char frequencyCode, const DateParts& stored, const std::vector<Day>& window,
                    Found found) const {
        switch (frequencyCode) {
        case 'W':
            for (int d : m_byWeekday[weekdayOf(stored)])
                found(d);
            break;
        case 'M':
            for (int d : m_byDayOfMonth[stored.day])
                found(d);
            break;
        case 'Y':
            for (int d : m_byMonthDay[stored.month][stored.day])
                found(d);
            break;
        case 'O': // the century is not compared
            for (int d : m_byMonthDay[stored.month][stored.day]) {
                if (window[d].year % 100 == stored.year % 100)
                    found(d);
            }
            break;
        default:
            break;
        }
    }

private:
    std::array<std::vector<int>, 8> m_byWeekday;
    std::array<std::vector<int>, 32> m_byDayOfMonth;
    std::array<std::array<std::vector<int>, 32>, 13> m_byMonthDay;
};

// The occurrences of the window today .. today + days, one bucket per day in file order, from
// one pass over the records.
std::vector<std::vector<Found>> findByDay(std::span<const ReminderRecord> records,
                                          const ViewContext& context, int days,
                                          std::vector<Day>* window) {
    days = std::clamp(days, 0, 366);
    for (int d = 0; d <= days && context.today.isValid(); ++d)
        window->emplace_back(context.today.addDays(d));
    std::vector<std::vector<Found>> byDay(window->size());
    const WindowIndex index(*window);
    for (int i = 0; i < int(records.size()) && context.today.isValid(); ++i) {
        const char code = records[i].frequencyCode();
        if (code != 'O' && code != 'W' && code != 'M' && code != 'Y')
            continue;
        const DateParts stored =
            ParseStoredDateParts(records[i].dateBytes(), context.regionalOrder);
        if (!stored.isValid())
            continue;
        index.forEachDay(code, stored, *window, [&](int d) {
            byDay[d].push_back({i, stored.year});
        });
    }
    return byDay;
}

} // namespace

void forEachUpcoming(std::span<const ReminderRecord> records, const ViewContext& context, int days,
                     bool withText, const std::function<void(const UpcomingLine&)>& take) {
    std::vector<Day> window;
    const auto byDay = findByDay(records, context, days, &window);
    const LineWriter writer(context);
    QString text; // reused: a caller that keeps a line copies it
    for (int d = 0; d < int(window.size()); ++d) {
        const QDate day = context.today.addDays(d);
        const QString prefix = withText ? writer.prefix(window[d]) : QString();
        for (const Found& o : byDay[d]) {
            if (withText)
                writer.write(text, prefix, records[o.index], o.storedYear);
            take({text, o.index + 1, day});
        }
    }
}

std::vector<ListLine> buildUpcomingLines(std::span<const ReminderRecord> records,
                                         const ViewContext& context, int days) {
    std::vector<ListLine> lines;
    forEachUpcoming(records, context, days, true, [&](const UpcomingLine& line) {
        lines.push_back({line.text, line.record});
    });
    return lines;
}

std::vector<Occurrence> upcomingOccurrences(std::span<const ReminderRecord> records,
                                            const ViewContext& context, int days) {
    std::vector<Occurrence> out;
    forEachUpcoming(records, context, days, false, [&](const UpcomingLine& line) {
        out.push_back({line.record, line.day});
    });
    return out;
}

} // namespace nudgewell
