// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/file_system.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
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

} // namespace

bool FileSystem::openReadWrite(QFile& file, QString* error) {
    if (file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return true;
    return fail(error, QCoreApplication::translate("file_system", "Cannot open %1: %2")
                           .arg(file.fileName(), file.errorString()));
}

bool FileSystem::create(QFile& file, QString* error) {
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return true;
    return fail(error, QCoreApplication::translate("file_system", "Cannot create %1: %2")
                           .arg(file.fileName(), file.errorString()));
}

bool FileSystem::read(QFile& file, qint64 offset, qint64 length, QByteArray* data, QString* error) {
    data->clear();
    if (length <= 0)
        return true;
    if (!file.seek(offset))
        return fail(error, QCoreApplication::translate("file_system", "Cannot read %1: %2")
                               .arg(file.fileName(), file.errorString()));
    data->resize(length);
    qint64 got = 0;
    while (got < length) {
        const qint64 n = file.read(data->data() + got, length - got);
        if (n < 0)
            return fail(error, QCoreApplication::translate("file_system", "Cannot read %1: %2")
                                   .arg(file.fileName(), file.errorString()));
        if (n == 0)
            break;
        got += n;
    }
    data->resize(got);
    return true;
}

bool FileSystem::write(QFile& file, qint64 offset, const QByteArray& data, QString* error) {
    if (!file.seek(offset) || file.write(data) != data.size())
        return fail(error, QCoreApplication::translate("file_system", "Cannot write %1: %2")
                               .arg(file.fileName(), file.errorString()));
    return true;
}

bool FileSystem::flush(QFile& file, QString* error) {
    if (!file.flush())
        return fail(error, QCoreApplication::translate("file_system", "Cannot write %1: %2")
                               .arg(file.fileName(), file.errorString()));
    if (::fsync(file.handle()) != 0)
        return fail(error, QCoreApplication::translate("file_system", "Cannot write %1 to disk: %2")
                               .arg(file.fileName(), systemReason()));
    return true;
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

FileSystem& FileSystem::real() {
    static FileSystem instance;
    return instance;
}

} // namespace nudgewell
