// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes.h"

#include "data/codepage.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

namespace nudgewell::test {

bool FailingFileSystem::injected(Step step, QString* error) {
    if (step != failAt)
        return false;
    if (++m_calls != failOnCall)
        return false;
    if (error)
        *error = QStringLiteral("injected failure");
    return true;
}

bool FailingFileSystem::openReadWrite(QFile& file, QString* error) {
    if (std::exchange(m_failNextOpen, false)) {
        if (error)
            *error = QStringLiteral("injected failure");
        return false;
    }
    return !injected(Step::Open, error) && FileSystem::openReadWrite(file, error);
}

bool FailingFileSystem::openReadOnly(QFile& file, QString* error) {
    return !injected(Step::OpenReadOnly, error) && FileSystem::openReadOnly(file, error);
}

bool FailingFileSystem::create(QFile& file, QString* error) {
    return !injected(Step::Create, error) && FileSystem::create(file, error);
}

bool FailingFileSystem::adopt(QFile& opened, QFile& file, QString* error) {
    m_failNextOpen = injected(Step::AdoptAndReopen, error);
    if (m_failNextOpen || injected(Step::Adopt, error)) {
        file.close(); // as the real one leaves it
        return false;
    }
    return FileSystem::adopt(opened, file, error);
}

bool FailingFileSystem::truncate(QFile& file, qint64 length, QString* error) {
    return !injected(Step::Truncate, error) && FileSystem::truncate(file, length, error);
}

bool FailingFileSystem::read(QFile& file, qint64 offset, qint64 length, QByteArray* data,
                             QString* error) {
    return !injected(Step::Read, error) && FileSystem::read(file, offset, length, data, error);
}

bool FailingFileSystem::write(QFile& file, qint64 offset, const QByteArray& data, QString* error) {
    // A failing write still puts half of its bytes down, as a full disk would.
    if (injected(Step::Write, error)) {
        if (file.seek(offset))
            file.write(data.left(data.size() / 2));
        return false;
    }
    return FileSystem::write(file, offset, data, error);
}

qint64 FailingFileSystem::systemWrite(int fd, const char* data, qint64 length, qint64 offset) {
    if (spaceLeft < 0)
        return FileSystem::systemWrite(fd, data, length, offset);
    struct stat status {};
    ::fstat(fd, &status);
    const qint64 inPlace = qBound<qint64>(0, status.st_size - offset, length);
    const qint64 fits = inPlace + qMin(length - inPlace, spaceLeft);
    if (fits == 0) {
        errno = ENOSPC;
        return -1;
    }
    const qint64 written = FileSystem::systemWrite(fd, data, fits, offset);
    spaceLeft -= qMax<qint64>(0, written - inPlace);
    return written;
}

bool FailingFileSystem::flush(QFile& file, QString* error) {
    return !injected(Step::Flush, error) && FileSystem::flush(file, error);
}

bool FailingFileSystem::rename(const QString& from, const QString& to, QString* error) {
    return !injected(Step::Rename, error) && FileSystem::rename(from, to, error);
}

bool FailingFileSystem::remove(const QString& path, QString* error) {
    return !injected(Step::Remove, error) && FileSystem::remove(path, error);
}

bool FailingFileSystem::syncDirectory(const QString& directory, QString* error) {
    return !injected(Step::SyncDirectory, error) && FileSystem::syncDirectory(directory, error);
}

QByteArray readFile(const QString& path) {
    if (!QFileInfo(path).isFile())
        return {}; // a pipe would wait for a writer
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void makeNotRegular(const QString& path, const QString& kind) {
    const QByteArray name = QFile::encodeName(path);
    if (kind == QLatin1String("folder"))
        ::mkdir(name.constData(), 0700);
    else if (kind == QLatin1String("pipe"))
        ::mkfifo(name.constData(), 0600);
    else
        ::symlink("/dev/zero", name.constData());
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QByteArray recordBytes(const QString& text, char flag, char code, const QString& date,
                       const QByteArray& reserved) {
    QByteArray bytes = toCp1252(text.left(55));
    bytes.append(55 - bytes.size(), ' ');
    bytes += reserved.left(3);
    bytes += flag;
    bytes += code;
    QByteArray d = toCp1252(date.left(10));
    d.append(10 - d.size(), ' ');
    return bytes + d;
}

} // namespace nudgewell::test
