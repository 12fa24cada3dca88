// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/start_notice.h"

#include "data/startup_log_file.h"

#include <QCoreApplication>

#include <algorithm>

namespace nudgewell {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("StartNotice", text);
}

// The trimmed text and, when asked for, the years at the day of the occurrence. A day before
// the stored date has no years to count.
QString noticeText(const ReminderRecord& record, const QDate& day, DateOrder regionalOrder) {
    QString text = trimBlanks(record.text());
    if (record.yearsFlag() != ShowYears)
        return text;
    const QDate stored = ParseStoredDate(record.dateBytes(), regionalOrder);
    const int years = day.year() - stored.year();
    if (stored.isValid() && years >= 0)
        text += years == 1 ? tr(" — 1 year") : tr(" — %1 years").arg(years);
    return text;
}

// A day in words, with its year when that is not this year's.
QString dayText(const QDate& day, const ViewContext& context, bool longWeekday) {
    QString format = longWeekday ? tr("dddd d MMMM") : tr("ddd d MMMM");
    if (day.year() != context.today.year())
        format += QStringLiteral(" yyyy");
    return context.locale.toString(day, format);
}

void appendLines(QStringList* out, const std::vector<Occurrence>& lines,
                 std::span<const ReminderRecord> records, const ViewContext& context,
                 bool withDay) {
    const int shown = std::min<int>(int(lines.size()), NoticeListLimit);
    for (int i = 0; i < shown; ++i) {
        const Occurrence& line = lines[i];
        const QString text = noticeText(records[line.record - 1], line.day, context.regionalOrder);
        // Both at once: a "%1" in the reminder's text stays as it is.
        out->append(withDay ? tr("%1: %2").arg(dayText(line.day, context, false), text) : text);
    }
    if (int(lines.size()) > shown)
        out->append(tr("and %1 more").arg(int(lines.size()) - shown));
}

QString countText(int today, int missed) {
    if (today == 0)
        return missed == 1 ? tr("1 reminder missed") : tr("%1 reminders missed").arg(missed);
    QString text = today == 1 ? tr("1 reminder today") : tr("%1 reminders today").arg(today);
    if (missed > 0)
        text += tr(", %1 missed").arg(missed);
    return text;
}

} // namespace

QString StartNotice::body(bool markup) const {
    QString text = lines.join(QLatin1Char('\n'));
    if (markup) {
        text.replace(QLatin1Char('&'), QLatin1String("&amp;"));
        text.replace(QLatin1Char('<'), QLatin1String("&lt;"));
        text.replace(QLatin1Char('>'), QLatin1String("&gt;"));
    }
    return text;
}

QDate previousStartDate(const QByteArray& log, DateOrder order) {
    const qint64 count = CountFromLength(log.size(), StartupRecord::Size);
    if (count == 0)
        return {};
    // A short last record still has its date when the cut fell in the time.
    const QByteArray date = log.mid((count - 1) * StartupRecord::Size, 10);
    return ParseStoredDate(QLatin1StringView(date), order);
}

StartNotice buildStartNotice(std::span<const ReminderRecord> records, const ViewContext& context,
                             const QDate& previousStart, bool startedMinimised) {
    const std::vector<Occurrence> today = upcomingOccurrences(records, context, 0);
    std::vector<Occurrence> missed;
    QDate since; // the last day not looked at
    if (previousStart.isValid() && previousStart < context.today.addDays(-1)) {
        since = std::max(previousStart, context.today.addDays(-MissedLookBackDays - 1));
        ViewContext span = context;
        span.today = since.addDays(1);
        missed = upcomingOccurrences(records, span, int(since.daysTo(context.today)) - 2);
    }
    if (missed.empty() && (today.empty() || !startedMinimised))
        return {};

    StartNotice notice;
    notice.summary = countText(int(today.size()), int(missed.size()));
    appendLines(&notice.lines, today, records, context, false);
    if (!missed.empty()) {
        notice.lines.append(tr("Missed since %1:").arg(dayText(since, context, true)));
        appendLines(&notice.lines, missed, records, context, true);
    }
    return notice;
}

} // namespace nudgewell
