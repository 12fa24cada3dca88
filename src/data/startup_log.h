// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/file_system.h"

#include <QByteArray>
#include <QFile>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTime>

namespace nudgewell {

// How the date column of a start-up list line is written: as the record holds it (when the
// window opens) or read back and written "mm/dd/yy" (after a purge).
enum class StartupDateColumn { AsStored, Reformatted };

// " date    hh:nn am/pm    weekday\tnumber" for one 22-byte record. A date or time that cannot
// be read is shown as stored, with no weekday.
QString StartupListLine(const QByteArray& record, int number, StartupDateColumn column,
                        const QLocale& locale);

// Reads a long-time text such as "10:30:15 AM", "22:30:15" or "10:30 pm"; invalid when it
// holds no time. An AM/PM marker is recognised in English and in the locale's own words.
QTime ParseStoredTime(QStringView text, const QLocale& locale);

// startup.dat in a folder, held open while the start-up list shows it. Records count from 1.
class StartupLog {
public:
    StartupLog(const QString& directory, FileSystem& files);

    // Opens the file (creating it when missing) and counts its records. A file that may be
    // read but not written is opened to be listed (readOnly() tells, readOnlyReason() says why).
    bool Open(QString* error);
    void Close();
    bool isOpen() const { return m_file.isOpen(); }
    bool readOnly() const { return m_readOnly; }
    QString readOnlyReason() const { return m_readOnlyReason; }
    QString path() const { return m_path; }
    int count() const { return m_count; }

    // One line per record: newest first as stored, or oldest first reformatted after a purge.
    bool listLines(StartupDateColumn column, const QLocale& locale, QStringList* lines,
                   QString* error);

    // The file at the path is not the one last opened or written (another program appended
    // to it, or replaced it).
    bool changedOnDisk() const { return FileSystem::identify(m_path) != m_stamp; }

    // Keeps only the last record the file holds now (none of an empty log), also one another
    // program appended since the log was opened, replacing the file through startup.tmp, then
    // opens the new file. False: nothing changed, the log stays open as it
    // was. True with *error set: the purge took place, but the folder could not be flushed or
    // the new file not opened (isOpen() tells).
    bool purge(QString* error);

private:
    bool readAll(QByteArray* bytes, QString* error);

    QString m_directory;
    QString m_path;
    FileSystem& m_files;
    QFile m_file;
    FileIdentity m_stamp;
    int m_count = 0;
    bool m_readOnly = false;
    QString m_readOnlyReason;
};

} // namespace nudgewell
