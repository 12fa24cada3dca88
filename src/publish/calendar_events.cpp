// SPDX-License-Identifier: GPL-3.0-or-later
#include "publish/calendar_events.h"

#include <QCryptographicHash>

#include <algorithm>

namespace nudgewell {

namespace {

// Content lines with their folds undone and no line endings.
std::vector<QByteArray> unfoldedLines(QByteArrayView data) {
    std::vector<QByteArray> lines;
    for (QByteArrayView rest = data; !rest.isEmpty();) {
        qsizetype end = rest.indexOf('\n');
        if (end < 0)
            end = rest.size();
        QByteArrayView line = rest.first(end);
        rest = rest.sliced(std::min(end + 1, rest.size()));
        if (line.endsWith('\r'))
            line.chop(1);
        if (!lines.empty() && (line.startsWith(' ') || line.startsWith('\t')))
            lines.back() += line.sliced(1);
        else if (!line.isEmpty())
            lines.emplace_back(line.toByteArray());
    }
    return lines;
}

bool hasName(const QByteArray& line, QByteArrayView name) {
    return line.size() > name.size() &&
           line.first(name.size()).compare(name, Qt::CaseInsensitive) == 0 &&
           (line[name.size()] == ':' || line[name.size()] == ';');
}

} // namespace

std::vector<CalendarObject> calendarObjects(std::span<const ReminderRecord> records,
                                            DateOrder regionalOrder, const QDateTime& stamp,
                                            ICalendarCounts* counts) {
    *counts = {};
    // No METHOD: a stored calendar object must not have one.
    static const std::string begin = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Quorvane "
                                     "Software//Nudgewell " NUDGEWELL_VERSION "//EN\r\n"
                                     "CALSCALE:GREGORIAN\r\n";
    std::vector<CalendarObject> objects;
    objects.reserve(records.size());
    ICalendarEventWriter writer(regionalOrder, stamp, qsizetype(records.size()), true);
    std::string text;
    for (const ReminderRecord& record : records) {
        text = begin;
        std::size_t uidAt = 0;
        if (!writer.append(record, text, counts, &uidAt))
            continue;
        text += "END:VCALENDAR\r\n";
        CalendarObject object;
        object.uid =
            QString::fromLatin1(text.data() + uidAt, qsizetype(text.find('\r', uidAt) - uidAt));
        object.data = QByteArray(text.data(), qsizetype(text.size()));
        object.hash = contentHash(object.data);
        objects.push_back(std::move(object));
    }
    return objects;
}

QByteArray contentHash(QByteArrayView data) {
    std::vector<QByteArray> lines = unfoldedLines(data);
    std::erase_if(lines, [](const QByteArray& line) {
        return hasName(line, "DTSTAMP") || hasName(line, "PRODID");
    });
    std::sort(lines.begin(), lines.end());
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QByteArray& line : lines) {
        hash.addData(line);
        hash.addData("\n");
    }
    return hash.result().toHex();
}

QString uidOf(QByteArrayView data) {
    for (const QByteArray& line : unfoldedLines(data)) {
        if (hasName(line, "UID"))
            return QString::fromUtf8(line.sliced(line.indexOf(':') + 1));
    }
    return {};
}

} // namespace nudgewell
