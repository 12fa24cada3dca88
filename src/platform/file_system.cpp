// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/file_system.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nudgewell {

namespace {

QString systemReason() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool fail(QString* error, const QString& what) {
    if (error)
        *error = what;
    return false;
}

bool notRegular(QString* error, const QString& path) {
    return fail(error, QCoreApplication::translate("file_system",
                                                   "Cannot open %1: it is not a regular file.")
                           .arg(path));
}

// Looks before opening: opening a pipe for reading waits for a writer, and a device reads
// forever. A missing file passes when it may be created.
bool regularOrMissing(const QString& path, bool mayBeMissing, QString* error) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        if (errno == ENOENT && mayBeMissing)
            return true;
        return fail(error, QCoreApplication::translate("file_system", "Cannot open %1: %2")
                               .arg(path, systemReason()));
    }
    return S_ISREG(status.st_mode) || notRegular(error, path);
}

// The same check on what was opened, in case the name changed hands in between.
bool openedRegular(QFile& file, QString* error) {
    struct stat status {};
    if (::fstat(file.handle(), &status) == 0 && S_ISREG(status.st_mode))
        return true;
    file.close();
    return notRegular(error, file.fileName());
}

bool openChecked(QFile& file, QIODevice::OpenMode mode, bool mayBeMissing, QString* error) {
    if (!regularOrMissing(file.fileName(), mayBeMissing, error))
        return false;
    if (!file.open(mode | QIODevice::Unbuffered))
        return fail(error, QCoreApplication::translate("file_system", "Cannot open %1: %2")
                               .arg(file.fileName(), file.errorString()));
    return openedRegular(file, error);
}

} // namespace

bool FileSystem::openReadWrite(QFile& file, QString* error) {
    return openChecked(file, QIODevice::ReadWrite, true, error);
}

bool FileSystem::openReadOnly(QFile& file, QString* error) {
    return openChecked(file, QIODevice::ReadOnly, false, error);
}

bool FileSystem::create(QFile& file, QString* error) {
    if (file.open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Unbuffered))
        return true;
    return fail(error, QCoreApplication::translate("file_system", "Cannot create %1: %2")
                           .arg(file.fileName(), file.errorString()));
}

bool FileSystem::adopt(QFile& opened, QFile& file, QString* error) {
    file.close();
    const int fd = ::fcntl(opened.handle(), F_DUPFD_CLOEXEC, 0);
    if (fd < 0) {
        const QString reason = systemReason();
        return fail(error, QCoreApplication::translate("file_system", "Cannot open %1: %2")
                               .arg(nameOf(opened), reason));
    }
    if (!file.open(fd, QIODevice::ReadWrite | QIODevice::Unbuffered,
                   QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(error, QCoreApplication::translate("file_system", "Cannot open %1: %2")
                               .arg(nameOf(opened), file.errorString()));
    }
    return true;
}

bool FileSystem::syncToDisk(QFile& file, QString* error) {
    if (::fsync(file.handle()) != 0) {
        // Read before the name: finding the name of an adopted file may change errno.
        const QString reason = systemReason();
        return fail(error, QCoreApplication::translate("file_system", "Cannot write %1 to disk: %2")
                               .arg(nameOf(file), reason));
    }
    return true;
}

bool FileSystem::truncate(QFile& file, qint64 length, QString* error) {
    if (!file.resize(length))
        return fail(error, QCoreApplication::translate("file_system", "Cannot write %1: %2")
                               .arg(nameOf(file), file.errorString()));
    return syncToDisk(file, error);
}

bool FileSystem::read(QFile& file, qint64 offset, qint64 length, QByteArray* data, QString* error) {
    data->clear();
    if (length <= 0)
        return true;
    if (!file.seek(offset))
        return fail(error, QCoreApplication::translate("file_system", "Cannot read %1: %2")
                               .arg(nameOf(file), file.errorString()));
    data->resize(length);
    qint64 got = 0;
    while (got < length) {
        const qint64 n = file.read(data->data() + got, length - got);
        if (n < 0)
            return fail(error, QCoreApplication::translate("file_system", "Cannot read %1: %2")
                                   .arg(nameOf(file), file.errorString()));
        if (n == 0)
            break;
        got += n;
    }
    data->resize(got);
    return true;
}

qint64 FileSystem::systemWrite(int fd, const char* data, qint64 length, qint64 offset) {
    return ::pwrite(fd, data, size_t(length), off_t(offset));
}

bool FileSystem::write(QFile& file, qint64 offset, const QByteArray& data, QString* error) {
    // A short write is followed by another for the rest, so that the call that fails tells
    // why (a full disk says so on the second call, not the first).
    qint64 done = 0;
    while (done < data.size()) {
        const qint64 n =
            systemWrite(file.handle(), data.constData() + done, data.size() - done, offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            const QString reason = systemReason();
            return fail(error, QCoreApplication::translate("file_system", "Cannot write %1: %2")
                                   .arg(nameOf(file), reason));
        }
        done += n;
    }
    return true;
}

bool FileSystem::flush(QFile& file, QString* error) {
    if (!file.flush())
        return fail(error, QCoreApplication::translate("file_system", "Cannot write %1: %2")
                               .arg(nameOf(file), file.errorString()));
    return syncToDisk(file, error);
}

bool FileSystem::rename(const QString& from, const QString& to, QString* error) {
    // rename(2) replaces the target atomically; QFile::rename refuses an existing target.
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return fail(error, QCoreApplication::translate("file_system", "Cannot rename %1 to %2: %3")
                               .arg(from, to, systemReason()));
    return true;
}

bool FileSystem::remove(const QString& path, QString* error) {
    if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT)
        return fail(error, QCoreApplication::translate("file_system", "Cannot delete %1: %2")
                               .arg(path, systemReason()));
    return true;
}

bool FileSystem::syncDirectory(const QString& directory, QString* error) {
    const int fd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return fail(error, QCoreApplication::translate("file_system", "Cannot open folder %1: %2")
                               .arg(directory, systemReason()));
    const bool ok = ::fsync(fd) == 0;
    const QString reason = ok ? QString() : systemReason();
    ::close(fd);
    if (!ok)
        return fail(error,
                    QCoreApplication::translate("file_system", "Cannot write folder %1 to disk: %2")
                        .arg(directory, reason));
    return true;
}

bool FileSystem::lock(QFile& file, QString* error) {
    for (int waited = 0;; waited += 10) {
        if (::flock(file.handle(), LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            break;
        if (waited >= 2000) {
            errno = EWOULDBLOCK;
            break;
        }
        ::usleep(10000);
    }
    const QString reason = systemReason();
    return fail(
        error,
        QCoreApplication::translate("file_system", "Cannot lock %1: %2").arg(nameOf(file), reason));
}

void FileSystem::unlock(QFile& file) {
    if (file.handle() >= 0)
        ::flock(file.handle(), LOCK_UN);
}

namespace {

FileIdentity identityOf(int result, const struct stat& status) {
    if (result != 0)
        return {};
    return {true, quint64(status.st_dev), quint64(status.st_ino), qint64(status.st_size),
            qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

} // namespace

FileIdentity FileSystem::identify(const QString& path) {
    struct stat status {};
    return identityOf(::stat(QFile::encodeName(path).constData(), &status), status);
}

FileIdentity FileSystem::identify(const QFile& file) {
    struct stat status {};
    return identityOf(file.handle() < 0 ? -1 : ::fstat(file.handle(), &status), status);
}

FileSystem& FileSystem::real() {
    static FileSystem instance;
    return instance;
}

QString FileSystem::nameOf(const QFile& file) {
    if (!file.fileName().isEmpty() || file.handle() < 0)
        return file.fileName();
    // A file opened on a descriptor has no name of its own; the kernel knows its path.
    QString path = QFileInfo(QStringLiteral("/proc/self/fd/%1").arg(file.handle())).symLinkTarget();
    if (path.endsWith(QLatin1String(" (deleted)")))
        path.chop(10);
    return path;
}

} // namespace nudgewell
