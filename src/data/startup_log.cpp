// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/startup_log.h"

#include "data/codepage.h"
#include "data/date_patterns.h"
#include "data/reminder_store.h"
#include "data/startup_log_file.h"
#include "platform/file_replace.h"
#include "platform/file_system.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace nudgewell {

namespace {

bool isMarker(const QString& marker, const QString& word) {
    return !word.isEmpty() && marker.compare(word.trimmed(), Qt::CaseInsensitive) == 0;
}

} // namespace

QTime ParseStoredTime(QStringView text, const QLocale& locale) {
    // Any one mark separates the numbers: a locale's own unit signs ("14時54分37秒") reach the
    // file as '?' through the 8-bit code page.
    static const QRegularExpression clock(
        QStringLiteral("([0-9]{1,2})[^0-9\\s]([0-9]{2})(?:[^0-9\\s]([0-9]{2}))?"));
    const QString t = text.trimmed().toString();
    const QRegularExpressionMatch m = clock.match(t);
    if (!m.hasMatch())
        return {};
    int hour = m.captured(1).toInt();
    const int minute = m.captured(2).toInt();
    const int second = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
    // Whatever stands around the digits is the day-half marker, before or after them.
    QString marker = t.left(m.capturedStart()) + t.mid(m.capturedEnd());
    marker = marker.remove(QLatin1Char('.')).trimmed();
    if (!marker.isEmpty()) {
        const bool pm = isMarker(marker, QStringLiteral("PM")) ||
                        isMarker(marker, QString(locale.pmText()).remove(QLatin1Char('.')));
        const bool am = isMarker(marker, QStringLiteral("AM")) ||
                        isMarker(marker, QString(locale.amText()).remove(QLatin1Char('.')));
        if (pm || am) {
            if (hour < 1 || hour > 12)
                return {};
            hour = hour % 12 + (pm ? 12 : 0);
        }
    }
    return QTime(hour, minute, second); // invalid for 25:00 or 10:75
}

QString StartupListLine(const QByteArray& record, int number, StartupDateColumn column,
                        const QLocale& locale) {
    const QString dateText = fromCp1252(record.left(10));
    const QString timeText = fromCp1252(record.mid(10, 12));
    const QDate date = ParseStoredDate(QStringView(dateText), locale);
    const QTime time = ParseStoredTime(timeText, locale);

    QString dateColumn = dateText;
    if (column == StartupDateColumn::Reformatted)
        dateColumn =
            date.isValid() ? Format(date, QStringLiteral("mm/dd/yy"), locale) : dateText.trimmed();
    const QString timeColumn =
        time.isValid() ? Format(QDate(2000, 1, 1), time, QStringLiteral("hh:nn am/pm"), locale)
                       : timeText.trimmed();
    const QString weekday =
        date.isValid() ? Format(date, QStringLiteral("dddd"), locale) : QString();
    return QLatin1Char(' ') + dateColumn + QLatin1String("    ") + timeColumn +
           QLatin1String("    ") + weekday + QLatin1Char('\t') + QString::number(number);
}

StartupLog::StartupLog(const QString& directory, FileSystem& files)
    : m_directory(directory), m_path(QDir(directory).filePath(QStringLiteral("startup.dat"))),
      m_files(files) {}

bool StartupLog::Open(QString* error) {
    Close();
    m_file.setFileName(m_path);
    m_readOnly = false;
    QString reason;
    if (!m_files.openReadWrite(m_file, &reason)) {
        if (!QFileInfo(m_path).isFile() || !m_files.openReadOnly(m_file, nullptr)) {
            if (error)
                *error = reason;
            return false;
        }
        m_readOnly = true;
        m_readOnlyReason = reason;
    }
    m_stamp = FileSystem::identify(m_file);
    m_count = int(CountFromLength(m_stamp.size, StartupRecord::Size));
    return true;
}

void StartupLog::Close() {
    if (m_file.isOpen())
        m_file.close();
    m_count = 0;
}

bool StartupLog::readAll(QByteArray* bytes, QString* error) {
    if (!m_files.read(m_file, 0, qint64(m_count) * StartupRecord::Size, bytes, error))
        return false;
    // A partial last record, or one the count rounded up to, reads as blanks where it ends.
    bytes->append(qint64(m_count) * StartupRecord::Size - bytes->size(), ' ');
    return true;
}

bool StartupLog::listLines(StartupDateColumn column, const QLocale& locale, QStringList* lines,
                           QString* error) {
    lines->clear();
    if (!isOpen())
        return true; // a log that could not be opened lists nothing
    QByteArray bytes;
    if (!readAll(&bytes, error))
        return false;
    lines->reserve(m_count);
    auto record = [&](int n) {
        return bytes.mid(qint64(n - 1) * StartupRecord::Size, StartupRecord::Size);
    };
    if (column == StartupDateColumn::AsStored) {
        for (int n = m_count; n >= 1; --n)
            lines->append(StartupListLine(record(n), n, column, locale));
    } else {
        for (int n = 1; n <= m_count; ++n)
            lines->append(StartupListLine(record(n), n, column, locale));
    }
    return true;
}

bool StartupLog::purge(QString* error) {
    if (!isOpen() || m_readOnly) {
        if (error)
            *error = m_readOnly ? m_readOnlyReason : QStringLiteral("%1 is not open.").arg(m_path);
        return false;
    }
    // What the file holds now: another program may have appended or replaced it.
    if (changedOnDisk() && !Open(error))
        return false;
    QByteArray last;
    if (m_count > 0) {
        QByteArray bytes;
        if (!readAll(&bytes, error))
            return false;
        last = bytes.right(StartupRecord::Size);
    }
    QString reason;
    QString reopenError;
    const ReplaceOutcome outcome =
        replaceFile(m_files, m_path, QDir(m_directory).filePath(QStringLiteral("startup.tmp")),
                    last, &reason, &m_file, &reopenError);
    if (outcome == ReplaceOutcome::Failed) {
        if (error)
            *error = reason;
        return false;
    }
    // The new file is in place, held open through the descriptor it was written with.
    m_count = last.isEmpty() ? 0 : 1;
    m_stamp = FileSystem::identify(m_file);
    if (!m_file.isOpen()) {
        m_count = 0;
        if (error)
            *error = reopenError;
        return true;
    }
    if (outcome == ReplaceOutcome::DoneFolderNotSynced && error)
        *error = reason;
    return true;
}

} // namespace nudgewell
