// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/startup_log_file.h"

#include "data/codepage.h"
#include "data/reminder_store.h"
#include "platform/file_system.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

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
    const qint64 before = file.size();
    const qint64 offset = count * StartupRecord::Size;
    // A partial last record that the count rounded down is overwritten: keep it to put back.
    QByteArray tail;
    if (before > offset && !files.read(file, offset, before - offset, &tail, error))
        return false;
    if (files.write(file, offset, record, error) && files.flush(file, error))
        return true;
    // Cut off what went down, so that the file holds what the message says: no record of this
    // start. Should that fail too, say that the record may be there after all.
    QString reason;
    const bool restored = (tail.isEmpty() || files.write(file, offset, tail, &reason)) &&
                          files.truncate(file, before, &reason);
    if (!restored && error)
        *error += QLatin1Char('\n') +
                  QCoreApplication::translate("startup_log",
                                              "The record of this start may be in the file "
                                              "all the same, incomplete or not on the disk: %1")
                      .arg(reason);
    return false;
}

bool readStartupLog(const QString& directory, FileSystem& files, QByteArray* log, QString* error) {
    log->clear();
    QFile file(QDir(directory).filePath(QStringLiteral("startup.dat")));
    if (!QFileInfo::exists(file.fileName()) && !QFileInfo(file.fileName()).isSymLink())
        return true;
    return files.openReadOnly(file, error) && files.read(file, 0, file.size(), log, error);
}

} // namespace nudgewell
