// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ical.h"

#include "data/codepage.h"

#include <QCryptographicHash>
#include <QHash>
#include <QIODevice>
#include <QtEndian>

#include <array>
#include <charconv>
#include <string>
#include <string_view>

namespace nudgewell {

namespace {

constexpr std::size_t kFoldOctets = 75;

// The records may be the mapped file itself; their bytes are read in place.
static_assert(sizeof(ReminderRecord) == ReminderRecord::Size && alignof(ReminderRecord) == 1);

// One content line with its CRLF, folded at 75 octets. A fold never falls inside a UTF-8
// sequence, which some readers would turn into two broken characters.
void appendLine(std::string& out, std::string_view line) {
    std::size_t start = 0;
    std::size_t room = kFoldOctets;
    while (line.size() - start > room) {
        std::size_t cut = start + room;
        while ((static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        out += line.substr(start, cut - start);
        out += "\r\n ";
        start = cut;
        room = kFoldOctets - 1; // the leading blank counts
    }
    out += line.substr(start);
    out += "\r\n";
}

// Each Windows-1252 byte as UTF-8, escaped for a TEXT value, where control characters other
// than tab and line breaks are not allowed.
class TextEscaper {
public:
    TextEscaper() {
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            const QChar c = fromCp1252(&byte, 1).front();
            m_utf8[b] = c == u'\\' || c == u';' || c == u','       ? std::string{'\\', byte}
                        : c == u'\n' || c == u'\r'                 ? std::string("\\n")
                        : (c < u' ' && c != u'\t') || c == u'\x7f' ? std::string("?")
                                                                   : QString(c).toStdString();
        }
    }

    // The blanks around the text are left out, and CR LF is one line break.
    void append(std::string& out, const char* text, qsizetype length) const {
        qsizetype begin = 0;
        while (begin < length && text[begin] == ' ')
            ++begin;
        while (length > begin && text[length - 1] == ' ')
            --length;
        for (qsizetype i = begin; i < length; ++i) {
            if (!(text[i] == '\r' && i + 1 < length && text[i + 1] == '\n'))
                out += m_utf8[static_cast<unsigned char>(text[i])];
        }
    }

private:
    std::array<std::string, 256> m_utf8;
};

void appendDigits(std::string& out, int value, int width) {
    char digits[8];
    for (int i = width - 1; i >= 0; --i, value /= 10)
        digits[i] = static_cast<char>('0' + value % 10);
    out.append(digits, width);
}

void appendNumber(std::string& out, int value) {
    char digits[12];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

void appendDate(std::string& out, const QDate& date) {
    int year, month, day;
    date.getDate(&year, &month, &day);
    appendDigits(out, year, 4);
    appendDigits(out, month, 2);
    appendDigits(out, day, 2);
}

// The days the upcoming list shows the reminder on, from its stored date on. BYMONTHDAY
// alone skips the months without that day, and February 29 falls only in leap years, both as
// the list does; nothing moves an occurrence to a month's last day.
void appendRecurrence(std::string& out, char frequencyCode, const QDate& stored) {
    static const char* const weekdays[] = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};
    out += "RRULE:FREQ=";
    switch (frequencyCode) {
    case 'W':
        out += "WEEKLY;BYDAY=";
        out += weekdays[stored.dayOfWeek() - 1];
        return;
    case 'M':
        out += "MONTHLY";
        break;
    default:
        out += "YEARLY;BYMONTH=";
        appendNumber(out, stored.month());
    }
    out += ";BYMONTHDAY=";
    appendNumber(out, stored.day());
}

// Identity follows content: the same record gives the same UID in every export, so that a
// subscribed calendar updates its events instead of adding new ones. The reserved bytes are
// left out, as a purge rewrites them. Identical records are told apart by their rank.
class Uids {
public:
    explicit Uids(qsizetype count) { m_seen.reserve(count); }

    void append(std::string& out, const char* record) {
        m_hash.reset();
        m_hash.addData(QByteArrayView(record, ReminderRecord::TextLength));
        constexpr int kFlag = ReminderRecord::TextLength + 3; // then the code and the date
        m_hash.addData(QByteArrayView(record + kFlag, ReminderRecord::Size - kFlag));
        const QByteArrayView digest = m_hash.resultView();
        static const char hex[] = "0123456789abcdef";
        for (int i = 0; i < 16; ++i) {
            out += hex[static_cast<unsigned char>(digest[i]) >> 4];
            out += hex[digest[i] & 0xF];
        }
        const int rank = ++m_seen[{qFromUnaligned<quint64>(digest.data()),
                                   qFromUnaligned<quint64>(digest.data() + 8)}];
        if (rank > 1) {
            out += '-';
            appendNumber(out, rank);
        }
        out += "@nudgewell";
    }

private:
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
    QHash<std::pair<quint64, quint64>, int> m_seen; // by the UID's 128 bits
};

} // namespace

struct ICalendarEventWriter::Impl {
    std::string dtstamp;
    bool alarms;
    TextEscaper escaper;
    Uids uids;
    std::string line; // reused, so that its capacity stays
};

ICalendarEventWriter::ICalendarEventWriter(DateOrder regionalOrder, const QDateTime& stamp,
                                           qsizetype count, bool alarms)
    : m_order(regionalOrder), m_impl(new Impl{"DTSTAMP:", alarms, {}, Uids(count), {}}) {
    const QDateTime utc = stamp.toUTC();
    std::string& dtstamp = m_impl->dtstamp;
    appendDate(dtstamp, utc.date());
    dtstamp += 'T';
    appendDigits(dtstamp, utc.time().hour(), 2);
    appendDigits(dtstamp, utc.time().minute(), 2);
    appendDigits(dtstamp, utc.time().second(), 2);
    dtstamp += 'Z';
}

ICalendarEventWriter::~ICalendarEventWriter() = default;

bool ICalendarEventWriter::append(const ReminderRecord& record, std::string& text,
                                  ICalendarCounts* counts, std::size_t* uidAt) {
    const char code = record.frequencyCode();
    if (code != 'O' && code != 'W' && code != 'M' && code != 'Y') {
        ++counts->unknownFrequencies;
        return false;
    }
    const QDate stored = ParseStoredDate(record.dateBytes(), m_order);
    if (!stored.isValid()) {
        ++counts->unreadableDates;
        return false;
    }
    const char* bytes = reinterpret_cast<const char*>(&record);
    text += "BEGIN:VEVENT\r\nUID:";
    if (uidAt)
        *uidAt = text.size();
    m_impl->uids.append(text, bytes);
    text += "\r\n";
    appendLine(text, m_impl->dtstamp);
    text += "DTSTART;VALUE=DATE:";
    appendDate(text, stored);
    text += "\r\n";
    if (code != 'O') {
        appendRecurrence(text, code, stored);
        text += "\r\n";
    }
    std::string& line = m_impl->line;
    line = "SUMMARY:";
    m_impl->escaper.append(line, bytes, ReminderRecord::TextLength);
    appendLine(text, line);
    if (record.yearsFlag() == ShowYears) {
        text += "DESCRIPTION:Years since ";
        appendNumber(text, stored.year());
        text += "\r\n";
    }
    if (m_impl->alarms) {
        // At 09:00 on the day: the event starts at the day's midnight.
        text += "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER;RELATED=START:PT9H\r\n";
        line.replace(0, sizeof "SUMMARY" - 1, "DESCRIPTION");
        appendLine(text, line);
        text += "END:VALARM\r\n";
    }
    // A reminder does not make its day busy.
    text += "TRANSP:TRANSPARENT\r\nEND:VEVENT\r\n";
    ++counts->events;
    return true;
}

bool writeICalendar(std::span<const ReminderRecord> records, DateOrder regionalOrder,
                    const QDateTime& stamp, QIODevice& out, ICalendarCounts* counts) {
    *counts = {};
    constexpr std::size_t kSlice = 64 * 1024;
    std::string text;
    text.reserve(kSlice + 1024);
    const auto flush = [&] {
        const bool written = out.write(text.data(), qint64(text.size())) == qint64(text.size());
        text.clear();
        return written;
    };
    for (const char* line : {"BEGIN:VCALENDAR", "VERSION:2.0",
                             "PRODID:-//Quorvane Software//Nudgewell " NUDGEWELL_VERSION "//EN",
                             "CALSCALE:GREGORIAN", "METHOD:PUBLISH", "X-WR-CALNAME:Nudgewell"})
        appendLine(text, line);

    ICalendarEventWriter events(regionalOrder, stamp, qsizetype(records.size()));
    for (const ReminderRecord& record : records) {
        if (events.append(record, text, counts) && text.size() >= kSlice && !flush())
            return false;
    }
    appendLine(text, "END:VCALENDAR");
    return flush();
}

} // namespace nudgewell
