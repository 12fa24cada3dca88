// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

class QFile;

namespace nudgewell {

// What tells a file at a path from another, or from itself before a change: the device and
// inode (a rename over it gives another), its size and its modification time in nanoseconds.
// A change in place within one tick of the file system's clock keeps the time, so callers
// that must not miss one compare the bytes they rewrite as well.
struct FileIdentity {
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    bool sameFile(const FileIdentity& other) const {
        return exists && other.exists && device == other.device && inode == other.inode;
    }
    bool operator==(const FileIdentity&) const = default;
};

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
    // An advisory lock (flock) on the open file, for programs that take it too; waits up to
    // two seconds for another holder. Closing the file releases it.
    virtual bool lock(QFile& file, QString* error);
    static void unlock(QFile& file);

    // The file at `path` (following links), or the one `file` has open.
    static FileIdentity identify(const QString& path);
    static FileIdentity identify(const QFile& file);

    static FileSystem& real();
    // The name of an open file, also of one opened by `adopt`.
    static QString nameOf(const QFile& file);

protected:
    // One pwrite(2): the bytes written, or -1 with errno set. A test overrides it to write
    // short, as a nearly full disk does.
    virtual qint64 systemWrite(int fd, const char* data, qint64 length, qint64 offset);

private:
    // fsync, with the system's reason on failure.
    static bool syncToDisk(QFile& file, QString* error);
};

} // namespace nudgewell
