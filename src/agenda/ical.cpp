// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ical.h"

#include <QCryptographicHash>
#include <QHash>
#include <QIODevice>

namespace nudgewell {

namespace {

constexpr qsizetype kFoldOctets = 75;

// One content line with its CRLF, folded at 75 octets. A fold never falls inside a UTF-8
// sequence, which some readers would turn into two broken characters.
void appendLine(QByteArray& out, QByteArrayView line) {
    qsizetype start = 0;
    qsizetype room = kFoldOctets;
    while (line.size() - start > room) {
        qsizetype cut = start + room;
        while ((static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        out.append(line.data() + start, cut - start);
        out.append("\r\n ");
        start = cut;
        room = kFoldOctets - 1; // the leading blank counts
    }
    out.append(line.data() + start, line.size() - start);
    out.append("\r\n");
}

// A TEXT value. Control characters other than tab and line breaks are not allowed there.
QString escapeText(const QString& text) {
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        switch (c) {
        case u'\\':
        case u';':
        case u',':
            out += u'\\';
            out += c;
            break;
        case u'\r':
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            [[fallthrough]];
        case u'\n':
            out += QLatin1String("\\n");
            break;
        default:
            out += (c < 0x20 && c != u'\t') || c == 0x7F ? u'?' : c;
        }
    }
    return out;
}

void appendDigits(QByteArray& out, int value, int width) {
    char digits[8];
    for (int i = width - 1; i >= 0; --i, value /= 10)
        digits[i] = static_cast<char>('0' + value % 10);
    out.append(digits, width);
}

QByteArray dateValue(const QDate& date) {
    QByteArray out;
    appendDigits(out, date.year(), 4);
    appendDigits(out, date.month(), 2);
    appendDigits(out, date.day(), 2);
    return out;
}

// The days the upcoming list shows the reminder on, from its stored date on. BYMONTHDAY
// alone skips the months without that day, and February 29 falls only in leap years, both as
// the list does; nothing moves an occurrence to a month's last day.
QByteArray recurrence(char frequencyCode, const QDate& stored) {
    static const char* const weekdays[] = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};
    QByteArray rule;
    switch (frequencyCode) {
    case 'W':
        return QByteArray("RRULE:FREQ=WEEKLY;BYDAY=") + weekdays[stored.dayOfWeek() - 1];
    case 'M':
        rule = "RRULE:FREQ=MONTHLY;BYMONTHDAY=";
        break;
    case 'Y':
        rule = "RRULE:FREQ=YEARLY;BYMONTH=" + QByteArray::number(stored.month()) + ";BYMONTHDAY=";
        break;
    default:
        return {};
    }
    return rule + QByteArray::number(stored.day());
}

// Identity follows content: the same record gives the same UID in every export, so that a
// subscribed calendar updates its events instead of adding new ones. The reserved bytes are
// left out, as a purge rewrites them. Identical records are told apart by their rank.
QByteArray uid(const ReminderRecord& record, QHash<QByteArray, int>& seen) {
    const QByteArray bytes = record.bytes();
    const QByteArray content = bytes.left(ReminderRecord::TextLength) + bytes.mid(58);
    const int rank = ++seen[content];
    QByteArray id = QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex().left(32);
    if (rank > 1)
        id += '-' + QByteArray::number(rank);
    return id + "@nudgewell";
}

} // namespace

bool writeICalendar(std::span<const ReminderRecord> records, DateOrder regionalOrder,
                    const QDateTime& stamp, QIODevice& out, ICalendarCounts* counts) {
    *counts = {};
    const QDateTime utc = stamp.toUTC();
    QByteArray dtstamp = "DTSTAMP:" + dateValue(utc.date()) + 'T';
    appendDigits(dtstamp, utc.time().hour(), 2);
    appendDigits(dtstamp, utc.time().minute(), 2);
    appendDigits(dtstamp, utc.time().second(), 2);
    dtstamp += 'Z';

    constexpr qsizetype kSlice = 64 * 1024;
    QByteArray text;
    text.reserve(kSlice + 1024);
    const auto flush = [&] {
        const bool written = out.write(text) == text.size();
        text.resize(0);
        return written;
    };
    for (const char* line :
         {"BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//Quorvane Software//Nudgewell 5.0//EN",
          "CALSCALE:GREGORIAN", "METHOD:PUBLISH", "X-WR-CALNAME:Nudgewell"})
        appendLine(text, line);

    QHash<QByteArray, int> seen;
    for (const ReminderRecord& record : records) {
        const char code = record.frequencyCode();
        if (code != 'O' && code != 'W' && code != 'M' && code != 'Y') {
            ++counts->unknownFrequencies;
            continue;
        }
        const QDate stored = ParseStoredDate(record.dateBytes(), regionalOrder);
        if (!stored.isValid()) {
            ++counts->unreadableDates;
            continue;
        }
        appendLine(text, "BEGIN:VEVENT");
        appendLine(text, "UID:" + uid(record, seen));
        appendLine(text, dtstamp);
        appendLine(text, "DTSTART;VALUE=DATE:" + dateValue(stored));
        if (code != 'O')
            appendLine(text, recurrence(code, stored));
        appendLine(text, "SUMMARY:" + escapeText(record.trimmedText()).toUtf8());
        if (record.yearsFlag() == ShowYears)
            appendLine(text, "DESCRIPTION:Years since " + QByteArray::number(stored.year()));
        // A reminder does not make its day busy.
        appendLine(text, "TRANSP:TRANSPARENT");
        appendLine(text, "END:VEVENT");
        ++counts->events;
        if (text.size() >= kSlice && !flush())
            return false;
    }
    appendLine(text, "END:VCALENDAR");
    return flush();
}

} // namespace nudgewell
