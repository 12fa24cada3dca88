// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes.h"

#include "data/codepage.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

namespace nudgewell::test {

bool FailingFileSystem::fails(Step kind, QString* error) {
    if (++steps == killAtStep)
        std::raise(SIGKILL);
    const bool ofKind = kind != Step::None &&
                        (kind == failAt || (kind == Step::Adopt && failAt == Step::AdoptAndReopen));
    if (!(ofKind && ++m_calls == failOnCall) && steps != failAtStep)
        return false;
    if (error)
        *error = failErrno == 0 ? QStringLiteral("injected failure")
                                : QString::fromLocal8Bit(std::strerror(failErrno));
    return true;
}

bool FailingFileSystem::openReadWrite(QFile& file, QString* error) {
    if (std::exchange(m_failNextOpen, false)) {
        if (error)
            *error = QStringLiteral("injected failure");
        return false;
    }
    return !fails(Step::Open, error) && FileSystem::openReadWrite(file, error);
}

bool FailingFileSystem::adopt(QFile& opened, QFile& file, QString* error) {
    if (!fails(Step::Adopt, error))
        return FileSystem::adopt(opened, file, error);
    m_failNextOpen = failAt == Step::AdoptAndReopen;
    file.close(); // as the real one leaves it
    return false;
}

bool FailingFileSystem::write(QFile& file, qint64 offset, const QByteArray& data, QString* error) {
    if (!fails(Step::Write, error))
        return FileSystem::write(file, offset, data, error);
    FileSystem::write(file, offset, data.left(data.size() / 2), nullptr);
    return false;
}

qint64 FailingFileSystem::systemWrite(int fd, const char* data, qint64 length, qint64 offset) {
    if (spaceLeft < 0)
        return FileSystem::systemWrite(fd, data, length, offset);
    struct stat status {};
    ::fstat(fd, &status);
    // What overwrites bytes already there always fits.
    const qint64 inPlace = qBound<qint64>(0, status.st_size - offset, length);
    const qint64 fits = inPlace + qMin(length - inPlace, spaceLeft);
    errno = ENOSPC;
    const qint64 written = fits == 0 ? -1 : FileSystem::systemWrite(fd, data, fits, offset);
    spaceLeft -= qMax<qint64>(0, written - inPlace);
    return written;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    // A pipe would wait for a writer.
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
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
    // One byte a character.
    return toCp1252(text.left(55)).leftJustified(55, ' ') + reserved.left(3) + flag + code +
           toCp1252(date.left(10)).leftJustified(10, ' ');
}

} // namespace nudgewell::test
