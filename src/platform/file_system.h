// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

class QFile;

namespace nudgewell {

// Every disk step the record files take, one virtual call each, so that a test can make any
// single step fail. Each returns false and fills *error with the system's reason on failure.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Opens for reading and writing, creating the file when missing. Anything but a regular
    // file (a folder, a device, a pipe) is refused, and nothing waits on a pipe.
    virtual bool openReadWrite(QFile& file, QString* error);
    // Opens an existing regular file for reading only, with the same checks.
    virtual bool openReadOnly(QFile& file, QString* error);
    // Creates (or truncates) a file for reading and writing.
    virtual bool create(QFile& file, QString* error);
    // Opens `file` on the file `opened` has open, under whatever name that file has now (after
    // a rename, the new one); nothing is looked up by name, so it cannot find another file.
    virtual bool adopt(QFile& opened, QFile& file, QString* error);
    // Cuts the file to `length` bytes and pushes that to the disk.
    virtual bool truncate(QFile& file, qint64 length, QString* error);
    virtual bool read(QFile& file, qint64 offset, qint64 length, QByteArray* data, QString* error);
    virtual bool write(QFile& file, qint64 offset, const QByteArray& data, QString* error);
    // Pushes written data to the disk (flush and fsync).
    virtual bool flush(QFile& file, QString* error);
    // Replaces `to` with `from` in one atomic step.
    virtual bool rename(const QString& from, const QString& to, QString* error);
    virtual bool remove(const QString& path, QString* error);
    // Makes a rename in `directory` durable.
    virtual bool syncDirectory(const QString& directory, QString* error);

    static FileSystem& real();
    // The name of an open file, also of one opened by `adopt`.
    static QString nameOf(const QFile& file);

private:
    // fsync, with the system's reason on failure.
    static bool syncToDisk(QFile& file, QString* error);
};

} // namespace nudgewell
