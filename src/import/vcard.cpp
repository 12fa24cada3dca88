// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/vcard.h"

#include "data/codepage.h"

#include <QCoreApplication>
#include <QStringDecoder>

#include <cctype>
#include <optional>

namespace nudgewell {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("import", text);
}

// One content line, unfolded: [group.]NAME;PARAM=VALUE...:VALUE
struct ContentLine {
    QByteArray name;                                 // upper case, without the group
    QList<std::pair<QByteArray, QByteArray>> params; // upper-case names; 2.1's bare values
                                                     // come with an empty name
    QByteArray value;

    QByteArray param(const QByteArray& key) const {
        for (const auto& [k, v] : params) {
            if (k == key)
                return v;
        }
        return {};
    }
    bool hasBare(const QByteArray& word) const {
        for (const auto& [k, v] : params) {
            if ((k.isEmpty() || k == "TYPE" || k == "ENCODING") && v.toUpper() == word)
                return true;
        }
        return false;
    }
};

// Splits at the first `separator` outside double quotes; -1 when there is none.
qsizetype unquotedIndex(QByteArrayView text, char separator, qsizetype from = 0) {
    bool quoted = false;
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == separator && !quoted)
            return i;
    }
    return -1;
}

std::optional<ContentLine> parseLine(QByteArrayView line) {
    const qsizetype colon = unquotedIndex(line, ':');
    if (colon <= 0)
        return std::nullopt;
    ContentLine out;
    out.value = line.sliced(colon + 1).toByteArray();
    const QByteArrayView head = line.first(colon);
    qsizetype start = 0;
    bool first = true;
    while (start <= head.size()) {
        qsizetype end = unquotedIndex(head, ';', start);
        if (end < 0)
            end = head.size();
        const QByteArrayView part = head.sliced(start, end - start);
        if (first) {
            const qsizetype dot = part.lastIndexOf('.');
            out.name = part.sliced(dot + 1).toByteArray().toUpper().trimmed();
            first = false;
        } else if (const qsizetype eq = part.indexOf('='); eq >= 0) {
            QByteArray v = part.sliced(eq + 1).toByteArray().trimmed();
            if (v.size() >= 2 && v.startsWith('"') && v.endsWith('"'))
                v = v.mid(1, v.size() - 2);
            out.params.append({part.first(eq).toByteArray().toUpper().trimmed(), v});
        } else {
            out.params.append({QByteArray(), part.toByteArray().trimmed()});
        }
        start = end + 1;
    }
    return out;
}

QByteArray decodeQuotedPrintable(const QByteArray& in) {
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '=' && i + 2 < in.size() && isxdigit(uchar(in[i + 1])) &&
            isxdigit(uchar(in[i + 2]))) {
            out += char(in.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
            continue;
        }
        out += in[i];
    }
    return out;
}

QString decodeText(const QByteArray& bytes, const QByteArray& charset) {
    const QByteArray name = charset.toUpper();
    if (name == "WINDOWS-1252" || name == "CP1252")
        return fromCp1252(bytes);
    if (name == "ISO-8859-1" || name == "LATIN1" || name == "US-ASCII")
        return QString::fromLatin1(bytes);
    if (!name.isEmpty() && name != "UTF-8") {
        if (auto named = QStringDecoder::encodingForName(name.constData())) {
            QStringDecoder decoder(*named);
            return decoder.decode(bytes);
        }
    }
    // No charset, or one we do not know: UTF-8 when it is that, else the Western code page
    // older address books wrote.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? fromCp1252(bytes) : text;
}

// The value as text: decoded, with the TEXT escapes of 3.0 and 4.0 undone. `components`
// splits a structured value (N) at its unescaped semicolons.
QStringList textValue(const ContentLine& line, bool components = false) {
    QByteArray bytes = line.value;
    if (line.hasBare("QUOTED-PRINTABLE"))
        bytes = decodeQuotedPrintable(bytes);
    const QString text = decodeText(bytes, line.param("CHARSET"));
    QStringList parts(QString{});
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' && i + 1 < text.size()) {
            const QChar next = text[++i];
            parts.last() += next == u'n' || next == u'N' ? QChar(u' ') : next;
        } else if (c == u';' && components) {
            parts.append(QString{});
        } else {
            parts.last() += c;
        }
    }
    return parts;
}

bool isDigits(QByteArrayView text) {
    if (text.isEmpty())
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// The date of BDAY or ANNIVERSARY in the forms of vCard 2.1 to 4.0: 19600812, 1960-08-12,
// --0812, --08-12, with or without a time part. `problem` says why there is none.
QDate cardDate(const ContentLine& line, bool* yearKnown, QString* problem) {
    const QByteArray shown = line.value.trimmed().left(40);
    if (line.param("VALUE").toUpper() == "TEXT") {
        *problem = tr("\"%1\" is text, not a date").arg(QString::fromUtf8(shown));
        return {};
    }
    QByteArray value = line.value.trimmed();
    if (const qsizetype t = value.indexOf('T'); t >= 0)
        value.truncate(t);
    int year = 0;
    QByteArray monthDay;
    if (value.startsWith("--") && !value.startsWith("---")) {
        monthDay = value.mid(2);
    } else if (value.size() >= 4 && isDigits(QByteArrayView(value).first(4))) {
        year = value.left(4).toInt();
        monthDay = value.mid(4);
        if (monthDay.startsWith('-'))
            monthDay.remove(0, 1);
    }
    if (monthDay.size() == 5 && monthDay[2] == '-')
        monthDay.remove(2, 1);
    if (monthDay.size() != 4 || !isDigits(monthDay)) {
        *problem = tr("\"%1\" names no month and day").arg(QString::fromUtf8(shown));
        return {};
    }
    // A year kept in place of one left out (one program writes 1604 with this note).
    if (year != 0 && line.param("X-APPLE-OMIT-YEAR").toInt() == year)
        year = 0;
    *yearKnown = year != 0;
    const QDate date(year != 0 ? year : kYearUnknown, monthDay.left(2).toInt(),
                     monthDay.mid(2).toInt());
    if (!date.isValid())
        *problem = tr("\"%1\" is no day of the calendar").arg(QString::fromUtf8(shown));
    return date;
}

// One card's lines, from BEGIN:VCARD to END:VCARD.
class Card {
public:
    explicit Card(int number) : m_number(number) {}

    void add(const ContentLine& line) {
        if (line.name == "FN")
            m_formatted = textValue(line).join(QString{}).simplified();
        else if (line.name == "N")
            m_structured = textValue(line, true);
        else if (line.name == "BDAY")
            m_dates.append({line, true});
        else if (line.name == "ANNIVERSARY" || line.name == "X-ANNIVERSARY" ||
                 line.name == "X-EVOLUTION-ANNIVERSARY")
            m_dates.append({line, false});
    }

    QString where() const {
        const QString name = this->name();
        return name.isEmpty() ? tr("card %1").arg(m_number)
                              : tr("card %1 (%2)").arg(m_number).arg(name);
    }

    void finish(std::vector<ImportEntry>* entries) const {
        for (const auto& [line, birthday] : m_dates) {
            ImportEntry entry;
            entry.where = where();
            entry.frequency = 'Y';
            const QString name = this->name();
            entry.text = (birthday ? tr("Birthday: %1") : tr("Anniversary: %1")).arg(name);
            entry.date = cardDate(line, &entry.showYears, &entry.problem);
            if (entry.problem.isEmpty() && name.isEmpty())
                entry.problem = tr("the card has no name");
            entries->push_back(entry);
        }
    }

private:
    // FN, else the given and family names of N.
    QString name() const {
        if (!m_formatted.isEmpty())
            return m_formatted;
        QStringList words;
        for (int i : {3, 1, 2, 0, 4}) { // prefix, given, additional, family, suffix
            if (i < m_structured.size() && !m_structured[i].trimmed().isEmpty())
                words << m_structured[i].trimmed();
        }
        return words.join(u' ').simplified();
    }

    int m_number;
    QString m_formatted;
    QStringList m_structured;
    QList<std::pair<ContentLine, bool>> m_dates; // the line and whether it is a birthday
};

// The physical lines of the text, without their line ends, in order.
class Lines {
public:
    explicit Lines(QByteArrayView text) : m_text(text) {}
    bool atEnd() const { return m_pos >= m_text.size(); }
    QByteArrayView peek() const {
        qsizetype end = m_pos;
        while (end < m_text.size() && m_text[end] != '\n' && m_text[end] != '\r')
            ++end;
        return m_text.sliced(m_pos, end - m_pos);
    }
    QByteArrayView next() {
        const QByteArrayView line = peek();
        m_pos += line.size();
        if (m_pos < m_text.size() && m_text[m_pos] == '\r')
            ++m_pos;
        if (m_pos < m_text.size() && m_text[m_pos] == '\n')
            ++m_pos;
        return line;
    }

private:
    QByteArrayView m_text;
    qsizetype m_pos = 0;
};

bool isQuotedPrintable(QByteArrayView line) {
    const qsizetype colon = unquotedIndex(line, ':');
    return colon > 0 && line.first(colon).toByteArray().toUpper().contains("QUOTED-PRINTABLE");
}

// Nothing of a card cut short is used: its dates may belong to someone else.
void unfinished(const Card& card, std::vector<ImportEntry>* entries) {
    ImportEntry entry;
    entry.where = card.where();
    entry.problem = tr("the card does not end (no END:VCARD)");
    entries->push_back(entry);
}

} // namespace

bool readVCards(QByteArrayView data, std::vector<ImportEntry>* entries) {
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    Lines lines(data);
    std::optional<Card> card;
    int cards = 0;
    int depth = 0;
    bool agentPending = false;
    bool version21 = false;
    while (!lines.atEnd()) {
        QByteArray logical = lines.next().toByteArray();
        // 2.1 folds only where there was white space and keeps it; 3.0 and 4.0 fold anywhere
        // and the one blank after the line end belongs to the fold.
        const bool quotedPrintable = isQuotedPrintable(logical);
        while (!lines.atEnd()) {
            const QByteArrayView next = lines.peek();
            if (quotedPrintable && logical.endsWith('=')) {
                logical.chop(1);
                logical += lines.next();
            } else if (!next.isEmpty() && (next[0] == ' ' || next[0] == '\t')) {
                logical += lines.next().sliced(version21 ? 0 : 1);
            } else {
                break;
            }
        }
        const std::optional<ContentLine> line = parseLine(logical);
        if (!line)
            continue;
        const bool begin = line->name == "BEGIN" && line->value.trimmed().toUpper() == "VCARD";
        const bool end = line->name == "END" && line->value.trimmed().toUpper() == "VCARD";
        if (begin) {
            if (card && agentPending) { // a 2.1 AGENT's card: not a contact of its own
                ++depth;
                continue;
            }
            if (card) // the card before never ended
                unfinished(*card, entries);
            card.emplace(++cards);
            depth = 1;
            version21 = false;
        } else if (end && card) {
            if (--depth == 0) {
                card->finish(entries);
                card.reset();
            }
        } else if (card && depth == 1) {
            if (line->name == "VERSION")
                version21 = line->value.trimmed() == "2.1";
            card->add(*line);
        }
        agentPending = line->name == "AGENT" && line->value.trimmed().isEmpty();
    }
    if (card)
        unfinished(*card, entries);
    return cards > 0;
}

} // namespace nudgewell
