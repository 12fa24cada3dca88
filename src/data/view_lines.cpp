// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/view_lines.h"

#include <algorithm>

namespace nudgewell {

namespace {

void appendTwoDigits(QString& out, int n) {
    out += QChar(u'0' + (n / 10) % 10);
    out += QChar(u'0' + n % 10);
}

// The two-digit-year pattern, without going through the general formatter: the all view
// formats every record.
QString shortDateText(const QDate& date, DateOrder order) {
    QString out;
    out.reserve(8);
    const bool dayFirst = order == DateOrder::DayFirst;
    appendTwoDigits(out, dayFirst ? date.day() : date.month());
    out += u'/';
    appendTwoDigits(out, dayFirst ? date.month() : date.day());
    out += u'/';
    appendTwoDigits(out, date.year() % 100);
    return out;
}

QString linePrefix(const QDate& date, const ViewContext& context) {
    return shortDateText(date, context.order) + QStringLiteral("   ") +
           context.locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
}

QString lineRest(const ReminderRecord& record, const QDate& stored, const ViewContext& context) {
    const QString suffix =
        stored.isValid() ? YearsSuffix(record.yearsFlag(), context.today.year(), stored.year())
                         : QString();
    return QLatin1Char('\t') + FrequencyWord(record.frequencyCode()) + QLatin1Char('\t') +
           record.text() + suffix;
}

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

bool OccursOn(char frequencyCode, const QDate& stored, const QDate& day) {
    if (!stored.isValid() || !day.isValid())
        return false;
    switch (frequencyCode) {
    case 'W':
        return stored.dayOfWeek() == day.dayOfWeek();
    case 'Y':
        return stored.month() == day.month() && stored.day() == day.day();
    case 'O': // the century is not compared
        return stored.month() == day.month() && stored.day() == day.day() &&
               stored.year() % 100 == day.year() % 100;
    case 'M':
        return stored.day() == day.day();
    default:
        return false;
    }
}

QString ViewLine(const QDate& date, const ReminderRecord& record, const QDate& stored,
                 const ViewContext& context) {
    return linePrefix(date, context) + lineRest(record, stored, context);
}

std::vector<ListLine> buildAllLines(const std::vector<ReminderRecord>& records,
                                    const ViewContext& context) {
    struct Keyed {
        QString folded;
        ListLine line;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(records.size());
    for (int i = 0; i < int(records.size()); ++i) {
        const ReminderRecord& record = records[i];
        const QDate stored = ParseStoredDate(record.dateText(), context.regionalOrder);
        QString text;
        if (stored.isValid()) {
            text = ViewLine(stored, record, stored, context);
        } else {
            // An unreadable date is shown as stored, with no weekday.
            QString date = record.dateText();
            while (date.endsWith(QLatin1Char(' ')))
                date.chop(1);
            text = date + QStringLiteral("      ") + lineRest(record, stored, context);
        }
        keyed.push_back({text.toCaseFolded(), {std::move(text), i + 1}});
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        const int c = QStringView(a.folded).compare(QStringView(b.folded));
        return c != 0 ? c < 0 : a.line.record < b.line.record;
    });
    std::vector<ListLine> lines;
    lines.reserve(keyed.size());
    for (Keyed& k : keyed)
        lines.push_back(std::move(k.line));
    return lines;
}

std::vector<ListLine> buildUpcomingLines(const std::vector<ReminderRecord>& records,
                                         const ViewContext& context, int days) {
    days = std::clamp(days, 0, 366);
    std::vector<QDate> window;
    std::vector<QString> prefixes;
    for (int d = 0; d <= days; ++d) {
        window.push_back(context.today.addDays(d));
        prefixes.push_back(linePrefix(window.back(), context));
    }
    // One pass over the records; each occurrence lands in its day's bucket in file order.
    std::vector<std::vector<int>> byDay(window.size());
    std::vector<QDate> stored(records.size());
    for (int i = 0; i < int(records.size()); ++i) {
        const char code = records[i].frequencyCode();
        if (code != 'O' && code != 'W' && code != 'M' && code != 'Y')
            continue;
        stored[i] = ParseStoredDate(records[i].dateText(), context.regionalOrder);
        if (!stored[i].isValid())
            continue;
        for (int d = 0; d < int(window.size()); ++d) {
            if (OccursOn(code, stored[i], window[d]))
                byDay[d].push_back(i);
        }
    }
    std::vector<ListLine> lines;
    for (int d = 0; d < int(window.size()); ++d) {
        for (int i : byDay[d])
            lines.push_back({prefixes[d] + lineRest(records[i], stored[i], context), i + 1});
    }
    return lines;
}

} // namespace nudgewell
