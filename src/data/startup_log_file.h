// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/date_patterns.h"

#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QString>

namespace nudgewell {

class FileSystem;

// One 22-byte record of startup.dat: the date (10) and the time (12) of a program start.
struct StartupRecord {
    static constexpr int Size = 22;
    static QByteArray build(const QDateTime& moment, DateOrder order, const QLocale& locale);
};

// Appends the record of this start to startup.dat in `directory`, creating the file.
bool AppendStartupRecord(const QString& directory, const QDateTime& moment, DateOrder order,
                         const QLocale& locale, FileSystem& files, QString* error);

// The bytes of startup.dat in `directory`, read-only; a missing file reads as empty.
bool readStartupLog(const QString& directory, FileSystem& files, QByteArray* log, QString* error);

} // namespace nudgewell
