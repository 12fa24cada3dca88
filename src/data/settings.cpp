// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/settings.h"

#include "platform/file_replace.h"
#include "platform/file_system.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>
#include <utility>

namespace nudgewell {

namespace {

const QString kGroup = QStringLiteral("Nudgewell");
const QByteArray kByteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");

QString tr(const char* text) {
    return QCoreApplication::translate("settings", text);
}

bool isHex(char16_t ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}

// Section names and keys: letters, digits, "_-." as they are, "/" as "\", any other character
// as %XX, or %UXXXX past 0xFF.
QByteArray escapedKey(const QString& key) {
    QByteArray out;
    for (const QChar qc : key) {
        const char16_t ch = qc.unicode();
        if (ch == '/')
            out += '\\';
        else if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
                 ch == '_' || ch == '-' || ch == '.')
            out += char(ch);
        else if (ch <= 0xFF)
            out += '%' + QByteArray::number(ch, 16).toUpper().rightJustified(2, '0');
        else
            out += "%U" + QByteArray::number(ch, 16).toUpper().rightJustified(4, '0');
    }
    return out;
}

QString unescapedKey(const QByteArray& raw) {
    const QString key = QString::fromUtf8(raw);
    QString out;
    qsizetype i = 0;
    while (i < key.size()) {
        const char16_t ch = key.at(i).unicode();
        if (ch == '\\') {
            out += QLatin1Char('/');
            ++i;
            continue;
        }
        if (ch != '%' || i == key.size() - 1) {
            out += key.at(i++);
            continue;
        }
        qsizetype first = i + 1;
        int digits = 2;
        if (key.at(first) == QLatin1Char('U')) {
            ++first;
            digits = 4;
        }
        bool ok = first + digits <= key.size();
        const ushort code = ok ? key.mid(first, digits).toUShort(&ok, 16) : 0;
        if (!ok) {
            out += QLatin1Char('%');
            ++i;
            continue;
        }
        out += QChar(code);
        i = first + digits;
    }
    return out;
}

// A text value, quoted when it holds ";", "," or "=" or starts or ends with a blank; control
// characters, quotes and backslashes escaped; a leading "@" doubled.
QByteArray escapedValue(const QString& value) {
    const QString text = value.startsWith(QLatin1Char('@')) ? QLatin1Char('@') + value : value;
    QByteArray out;
    bool needsQuotes = false;
    bool escapeNextIfHex = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar qc = text.at(i);
        const char16_t ch = qc.unicode();
        if (ch == ';' || ch == ',' || ch == '=')
            needsQuotes = true;
        if (escapeNextIfHex && isHex(ch)) {
            out += "\\x" + QByteArray::number(ch, 16);
            continue;
        }
        escapeNextIfHex = false;
        switch (ch) {
        case '\a':
            out += "\\a";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\v':
            out += "\\v";
            break;
        case '"':
        case '\\':
            out += '\\';
            out += char(ch);
            break;
        default:
            if (ch <= 0x1F || ch == 0x7F) {
                out += "\\x" + QByteArray::number(ch, 16);
                escapeNextIfHex = true;
            } else {
                // A character beyond the basic plane is a pair, and UTF-8 only as a pair.
                const bool pair =
                    qc.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
                out += text.mid(i, pair ? 2 : 1).toUtf8();
                i += pair ? 1 : 0;
            }
        }
    }
    if (needsQuotes || out.startsWith(' ') || out.endsWith(' '))
        out = '"' + out + '"';
    return out;
}

// What QSettings makes of a stored value when asked for text: the value, a list of one as
// its item, any other list or typed value as nothing.
QString unescapedValue(const QByteArray& raw) {
    const QString text = QString::fromUtf8(raw);
    QStringList items;
    QString current;
    QString blanks; // unquoted blanks, kept only when more follows
    bool inQuotes = false;
    bool started = false;
    const auto put = [&](QChar c) {
        if (started)
            current += blanks;
        blanks.clear();
        current += c;
        started = true;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char16_t ch = c.unicode();
        if (ch == '"') {
            inQuotes = !inQuotes;
            if (started)
                current += blanks;
            blanks.clear();
            started = true;
        } else if (ch == '\\' && i + 1 < text.size()) {
            const char16_t next = text.at(++i).unicode();
            switch (next) {
            case 'a':
                put(QChar(u'\a'));
                break;
            case 'b':
                put(QChar(u'\b'));
                break;
            case 'f':
                put(QChar(u'\f'));
                break;
            case 'n':
                put(QChar(u'\n'));
                break;
            case 'r':
                put(QChar(u'\r'));
                break;
            case 't':
                put(QChar(u'\t'));
                break;
            case 'v':
                put(QChar(u'\v'));
                break;
            case 'x': {
                qsizetype end = i + 1;
                while (end < text.size() && end < i + 5 && isHex(text.at(end).unicode()))
                    ++end;
                put(QChar(char16_t(text.mid(i + 1, end - i - 1).toUInt(nullptr, 16))));
                i = end - 1;
                break;
            }
            default:
                if (next >= '0' && next <= '7') {
                    qsizetype end = i;
                    while (end < text.size() && end < i + 3 && text.at(end) >= QLatin1Char('0') &&
                           text.at(end) <= QLatin1Char('7'))
                        ++end;
                    put(QChar(char16_t(text.mid(i, end - i).toUInt(nullptr, 8))));
                    i = end - 1;
                } else {
                    put(QChar(next));
                }
            }
        } else if (!inQuotes && (ch == ' ' || ch == '\t')) {
            blanks += c;
        } else if (!inQuotes && ch == ',') {
            items << current;
            current.clear();
            blanks.clear();
            started = false;
        } else if (!inQuotes && ch == ';') {
            break; // a comment
        } else {
            put(c);
        }
    }
    if (!items.isEmpty()) {
        items << current;
        return items.size() == 1 ? items.first() : QString();
    }
    if (current.startsWith(QLatin1String("@@")))
        return current.mid(1);
    if (current.startsWith(QLatin1String("@ByteArray(")) && current.endsWith(QLatin1Char(')')))
        return current.mid(11, current.size() - 12);
    if (current.startsWith(QLatin1Char('@')))
        return {};
    return current;
}

} // namespace

SettingsStore::SettingsStore() : SettingsStore(userFile()) {}

SettingsStore::SettingsStore(const QString& iniFile) : SettingsStore(iniFile, FileSystem::real()) {}

SettingsStore::SettingsStore(const QString& iniFile, FileSystem& files)
    : m_path(iniFile), m_files(files) {
    load();
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::userFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quorvane Software/Nudgewell.conf");
}

void SettingsStore::load(bool always) const {
    const FileIdentity now = FileSystem::identify(m_path);
    if (!always && now == m_loaded)
        return;
    m_loaded = now;
    m_readError.clear();
    m_readReason.clear();
    const QFileInfo info(m_path);
    if (!info.exists() && !info.isSymLink()) {
        m_sections.clear(); // a first run, or the file was taken away
        m_byteOrderMark = false;
        return;
    }
    QFile file(m_path);
    QByteArray text;
    QString reason;
    if (!m_files.openReadOnly(file, &reason) ||
        !m_files.read(file, 0, file.size(), &text, &reason) || !parse(text, &reason)) {
        m_readReason = reason;
        m_readError = tr("Cannot read the settings file %1.\n%2\nThe file is left as it is, "
                         "and changed settings are not kept.")
                          .arg(m_path, reason);
    }
}

bool SettingsStore::parse(const QByteArray& text, QString* error) const {
    std::vector<Section> sections;
    sections.push_back({}); // keys before any section
    const bool byteOrderMark = text.startsWith(kByteOrderMark);
    const QByteArray body = byteOrderMark ? text.mid(3) : text;
    int number = 0;
    for (const QByteArray& raw : body.split('\n')) {
        ++number;
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            const qsizetype close = line.indexOf(']');
            if (close < 0) {
                *error = tr("Line %1 opens a section that is not closed.").arg(number);
                return false;
            }
            sections.push_back({line.mid(1, close - 1), {}});
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0) {
            *error = tr("Line %1 is not a setting (name=value).").arg(number);
            return false;
        }
        sections.back().entries.push_back(
            {line.left(equals).trimmed(), line.mid(equals + 1).trimmed()});
    }
    // A file that cannot be parsed leaves the values last read.
    m_sections = std::move(sections);
    m_byteOrderMark = byteOrderMark;
    return true;
}

QByteArray SettingsStore::serialize() const {
    QByteArray out;
    for (const Section& section : m_sections) {
        if (section.name.isNull() && section.entries.empty())
            continue;
        if (!out.isEmpty())
            out += '\n';
        if (!section.name.isNull())
            out += '[' + section.name + "]\n";
        for (const Entry& entry : section.entries)
            out += entry.key + '=' + entry.value + '\n';
    }
    return m_byteOrderMark ? kByteOrderMark + out : out;
}

const SettingsStore::Entry* SettingsStore::find(const QString& section, const QString& key) const {
    // As QSettings: of a key given twice, the last one counts.
    const Entry* found = nullptr;
    for (const Section& s : m_sections) {
        if (s.name.isNull() || unescapedKey(s.name) != section)
            continue;
        for (const Entry& entry : s.entries) {
            if (unescapedKey(entry.key) == key)
                found = &entry;
        }
    }
    return found;
}

SettingsStore::Entry* SettingsStore::find(const QString& section, const QString& key) {
    return const_cast<Entry*>(std::as_const(*this).find(section, key));
}

QString SettingsStore::get(const QString& key) const {
    load(false);
    const Entry* entry = find(kGroup, key);
    return entry ? unescapedValue(entry->value) : QString();
}

bool SettingsStore::save(const QString& key, const QString& value, QString* error) {
    return save(Values{{key, value}}, error);
}

bool SettingsStore::save(const Values& values, QString* error) {
    // From the file as it is now: a key added by hand meanwhile stays.
    load();
    if (m_readError.isEmpty() && std::all_of(values.begin(), values.end(), [this](const auto& kv) {
            return find(kGroup, kv.first) && get(kv.first) == kv.second;
        }))
        return true; // nothing to write
    const std::vector<Section> before = m_sections;
    if (m_sections.empty())
        m_sections.push_back({});
    for (const auto& [key, value] : values) {
        if (Entry* entry = find(kGroup, key)) {
            entry->value = escapedValue(value);
            continue;
        }
        auto section = std::find_if(m_sections.rbegin(), m_sections.rend(), [](const Section& s) {
            return !s.name.isNull() && unescapedKey(s.name) == kGroup;
        });
        if (section == m_sections.rend()) {
            m_sections.push_back({escapedKey(kGroup), {}});
            section = m_sections.rbegin();
        }
        section->entries.push_back({escapedKey(key), escapedValue(value)});
    }
    // What could not be written is not kept either, so that the session shows what the file
    // holds.
    const auto failed = [&](const QString& reason) {
        m_sections = before;
        if (error)
            *error = tr("Cannot write the settings file %1.\n%2").arg(m_path, reason);
        return false;
    };
    if (!m_readError.isEmpty())
        return failed(tr("It cannot be read, so it is left as it is: %1").arg(m_readReason));
    // A link is followed, so that the file it points to gets the settings, not the link.
    const QFileInfo info(m_path);
    const QString target = info.isSymLink() ? info.symLinkTarget() : m_path;
    const QString folder = QFileInfo(target).absolutePath();
    if (!QDir().mkpath(folder))
        return failed(tr("Cannot create the folder %1.").arg(folder));
    QString reason;
    const ReplaceOutcome outcome =
        replaceFile(m_files, target, target + QStringLiteral(".tmp"), serialize(), &reason);
    if (outcome == ReplaceOutcome::Failed)
        return failed(reason);
    m_loaded = FileSystem::identify(m_path);
    if (outcome == ReplaceOutcome::DoneFolderNotSynced && error)
        *error = reason;
    return true;
}

int daysCheckedOrDefault(const QString& text) {
    bool ok = false;
    const int days = text.trimmed().toInt(&ok);
    return (ok && days >= 0 && days <= 366) ? days : 6;
}

WindowSizeTwips storedWindowSize(const QString& heightText, const QString& widthText) {
    bool heightOk = false;
    bool widthOk = false;
    const double height = heightText.toDouble(&heightOk);
    const double width = widthText.toDouble(&widthOk);
    if (!heightOk || !(height > 0 && height < 1e6))
        return {};
    return {height, widthOk && width > 0 && width < 1e6 ? width : 8900};
}

QString twipsText(double twips) {
    return QString::number(static_cast<float>(twips), 'g', 7);
}

} // namespace nudgewell
