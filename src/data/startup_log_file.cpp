// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/startup_log_file.h"

#include "data/codepage.h"
#include "data/reminder_store.h"
#include "platform/file_system.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace nudgewell {

namespace {

QByteArray field(const QString& text, int width) {
    QByteArray bytes = toCp1252(text.left(width));
    bytes.append(width - bytes.size(), ' ');
    return bytes;
}

} // namespace

QByteArray StartupRecord::build(const QDateTime& moment, DateOrder order, const QLocale& locale) {
    const QString date = Format(moment.date(), DatePatterns::forOrder(order).longPattern, locale);
    QString time = longTimeText(moment.time(), locale);
    // A locale's time that the file's code page cannot hold could never be read back.
    if (!std::all_of(time.cbegin(), time.cend(), isCp1252))
        time = longTimeText(moment.time(), QLocale(QLocale::English, QLocale::UnitedStates));
    return field(date, 10) + field(time, 12);
}

bool AppendStartupRecord(const QString& directory, const QDateTime& moment, DateOrder order,
                         const QLocale& locale, FileSystem& files, QString* error) {
    QFile file(QDir(directory).filePath(QStringLiteral("startup.dat")));
    if (!files.openReadWrite(file, error))
        return false;
    // A partial last record is overwritten, as the count rounds to the nearest record.
    const qint64 count = CountFromLength(file.size(), StartupRecord::Size);
    const QByteArray record = StartupRecord::build(moment, order, locale);
    const bool ok =
        files.write(file, count * StartupRecord::Size, record, error) && files.flush(file, error);
    file.close();
    return ok;
}

bool readStartupLog(const QString& directory, FileSystem& files, QByteArray* log, QString* error) {
    log->clear();
    QFile file(QDir(directory).filePath(QStringLiteral("startup.dat")));
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Cannot read %1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    return files.read(file, 0, file.size(), log, error);
}

} // namespace nudgewell
