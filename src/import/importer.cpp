// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/importer.h"

#include "data/codepage.h"
#include "import/icalendar_reader.h"
#include "import/vcard.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QSet>

namespace nudgewell {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("import", text);
}

// Larger files are no address book; reading them whole would only fill the memory.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;
constexpr int kMaxRecords = 32767;

QString counted(int n, const char* one, const char* many) {
    return n == 1 ? tr(one) : tr(many).arg(n);
}

// What makes two reminders the same: text, date and frequency. A date that cannot be read
// compares as its bytes.
QString identity(const ReminderRecord& record, DateOrder readOrder) {
    const QDate date = ParseStoredDate(record.dateBytes(), readOrder);
    return record.trimmedText() + QChar(u'\x1f') +
           (date.isValid() ? date.toString(Qt::ISODate) : record.dateText()) + QChar(u'\x1f') +
           QChar::fromLatin1(record.frequencyCode());
}

constexpr quint32 kStreamMagic = 0x4e57494d; // "NWIM"

} // namespace

QString ImportReport::summary() const {
    return tr("%1, %2 already there, %3 skipped.")
        .arg(counted(added, "1 reminder added", "%1 reminders added"))
        .arg(alreadyThere)
        .arg(skipped);
}

QString storableText(const QString& text) {
    QString kept;
    kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            kept += u' ';
        else if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (isCp1252(c))
            kept += c;
    }
    return kept.trimmed();
}

bool readImportFile(const QString& path, std::vector<ImportEntry>* entries, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    if (file.size() > kMaxFileSize) {
        *error = tr("it is larger than 64 MiB");
        return false;
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return false;
    }
    // The first line that is not blank says what the file is.
    QByteArrayView rest(data);
    if (rest.startsWith("\xEF\xBB\xBF"))
        rest = rest.sliced(3);
    rest = rest.trimmed();
    const QByteArray first =
        rest.first(std::min<qsizetype>(rest.size(), 16)).toByteArray().toUpper();
    std::vector<ImportEntry> found;
    bool read = false;
    if (first.startsWith("BEGIN:VCARD"))
        read = readVCards(data, &found);
    else if (first.startsWith("BEGIN:VCALENDAR"))
        read = readICalendar(data, &found);
    if (!read) {
        *error = tr("it is neither a vCard nor an iCalendar file");
        return false;
    }
    entries->insert(entries->end(), found.begin(), found.end());
    return true;
}

QString recordProblem(const ImportEntry& entry) {
    if (storableText(entry.text).isEmpty())
        return tr("its title has no character a reminder can hold");
    // The file's dates are read with four-digit years from 100 on.
    if (entry.date.year() < 100)
        return tr("the year %1 cannot be stored").arg(entry.date.year());
    return {};
}

ReminderRecord recordFor(const ImportEntry& entry, DateOrder order) {
    ReminderRecord record;
    record.setText(storableText(entry.text));
    record.setYearsFlag(entry.showYears ? ShowYears : HideYears);
    record.setFrequencyCode(entry.frequency);
    const int first = order == DateOrder::DayFirst ? entry.date.day() : entry.date.month();
    const int second = order == DateOrder::DayFirst ? entry.date.month() : entry.date.day();
    record.setDateText(QString::asprintf("%02d/%02d/%04d", first, second, entry.date.year()));
    return record;
}

AddOutcome addNewRecords(ReminderSession& session, const std::vector<ReminderRecord>& candidates,
                         DateOrder readOrder) {
    AddOutcome outcome;
    // What the file holds now, whoever wrote it last.
    session.refresh(true, &outcome.error);
    if (!outcome.error.isEmpty())
        return outcome;
    QSet<QString> known;
    known.reserve(qsizetype(session.records().size() + candidates.size()));
    for (const ReminderRecord& record : session.records())
        known.insert(identity(record, readOrder));
    std::vector<ReminderRecord> fresh;
    for (const ReminderRecord& record : candidates) {
        const QString key = identity(record, readOrder);
        if (known.contains(key)) {
            ++outcome.alreadyThere;
        } else if (session.count() + int(fresh.size()) >= kMaxRecords) {
            ++outcome.overLimit;
        } else {
            known.insert(key);
            fresh.push_back(record);
        }
    }
    if (fresh.empty())
        return outcome;
    const ReminderSession::Result result = session.addRecords(fresh);
    if (result.tookEffect())
        outcome.added = int(fresh.size());
    else
        outcome.error = result.reason;
    return outcome;
}

ImportReport importFiles(const QStringList& paths, ReminderSession& session, DateOrder writeOrder,
                         DateOrder readOrder) {
    ImportReport report;
    std::vector<ReminderRecord> candidates;
    for (const QString& path : paths) {
        std::vector<ImportEntry> entries;
        QString error;
        const QString shown = QDir::toNativeSeparators(path);
        if (!readImportFile(path, &entries, &error)) {
            ++report.unreadFiles;
            report.problems << tr("%1: not read: %2").arg(shown, error);
            continue;
        }
        for (ImportEntry& entry : entries) {
            if (entry.problem.isEmpty())
                entry.problem = recordProblem(entry);
            if (!entry.problem.isEmpty()) {
                ++report.skipped;
                report.problems << tr("%1: %2: skipped: %3").arg(shown, entry.where, entry.problem);
            } else {
                candidates.push_back(recordFor(entry, writeOrder));
            }
        }
    }
    if (candidates.empty())
        return report;
    const AddOutcome outcome = addNewRecords(session, candidates, readOrder);
    report.added = outcome.added;
    report.alreadyThere = outcome.alreadyThere;
    report.skipped += outcome.overLimit;
    if (outcome.overLimit > 0)
        report.problems << tr("%1 reminders skipped: %2 holds 32,767 reminders at most")
                               .arg(outcome.overLimit)
                               .arg(QDir::toNativeSeparators(session.path()));
    if (!outcome.error.isEmpty())
        report.failure = tr("No reminder could be added to %1: %2")
                             .arg(QDir::toNativeSeparators(session.path()), outcome.error);
    return report;
}

QByteArray encodeImportRequest(const QStringList& paths) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << kStreamMagic << QStringLiteral("import") << paths;
    return bytes;
}

std::optional<QStringList> decodeImportRequest(const QByteArray& request) {
    QDataStream in(request);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0;
    QString verb;
    QStringList paths;
    in >> magic >> verb >> paths;
    if (in.status() != QDataStream::Ok || magic != kStreamMagic || verb != u"import" || !in.atEnd())
        return std::nullopt;
    return paths;
}

QByteArray encodeImportReport(const ImportReport& report) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << kStreamMagic << qint32(report.added) << qint32(report.alreadyThere)
        << qint32(report.skipped) << qint32(report.unreadFiles) << report.problems
        << report.failure;
    return bytes;
}

std::optional<ImportReport> decodeImportReport(const QByteArray& answer) {
    QDataStream in(answer);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0;
    qint32 added = 0, already = 0, skipped = 0, unread = 0;
    ImportReport report;
    in >> magic >> added >> already >> skipped >> unread >> report.problems >> report.failure;
    if (in.status() != QDataStream::Ok || magic != kStreamMagic || !in.atEnd())
        return std::nullopt;
    report.added = added;
    report.alreadyThere = already;
    report.skipped = skipped;
    report.unreadFiles = unread;
    return report;
}

} // namespace nudgewell
