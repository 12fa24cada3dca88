// SPDX-License-Identifier: GPL-3.0-or-later
#include "step_file_system.h"

#include <QFile>

#include <csignal>
#include <cstring>

namespace nudgewell::test {

bool StepFileSystem::step(const QString& what, QString* error) {
    ++steps;
    if (steps == killAt)
        std::raise(SIGKILL);
    if (steps != failAt)
        return true;
    if (error)
        *error = QStringLiteral("Cannot %1: %2")
                     .arg(what, QString::fromLocal8Bit(std::strerror(failErrno)));
    return false;
}

bool StepFileSystem::openReadWrite(QFile& file, QString* error) {
    return step(QStringLiteral("open ") + file.fileName(), error) &&
           FileSystem::openReadWrite(file, error);
}

bool StepFileSystem::openReadOnly(QFile& file, QString* error) {
    return step(QStringLiteral("open ") + file.fileName(), error) &&
           FileSystem::openReadOnly(file, error);
}

bool StepFileSystem::create(QFile& file, QString* error) {
    return step(QStringLiteral("create ") + file.fileName(), error) &&
           FileSystem::create(file, error);
}

bool StepFileSystem::adopt(QFile& opened, QFile& file, QString* error) {
    if (step(QStringLiteral("open ") + nameOf(opened), error))
        return FileSystem::adopt(opened, file, error);
    file.close();
    return false;
}

bool StepFileSystem::read(QFile& file, qint64 offset, qint64 length, QByteArray* data,
                          QString* error) {
    return step(QStringLiteral("read ") + nameOf(file), error) &&
           FileSystem::read(file, offset, length, data, error);
}

bool StepFileSystem::write(QFile& file, qint64 offset, const QByteArray& data, QString* error) {
    if (step(QStringLiteral("write ") + nameOf(file), error))
        return FileSystem::write(file, offset, data, error);
    FileSystem::write(file, offset, data.left(data.size() / 2), nullptr);
    return false;
}

bool StepFileSystem::flush(QFile& file, QString* error) {
    return step(QStringLiteral("write ") + nameOf(file), error) && FileSystem::flush(file, error);
}

bool StepFileSystem::truncate(QFile& file, qint64 length, QString* error) {
    return step(QStringLiteral("write ") + nameOf(file), error) &&
           FileSystem::truncate(file, length, error);
}

bool StepFileSystem::rename(const QString& from, const QString& to, QString* error) {
    return step(QStringLiteral("rename ") + from, error) && FileSystem::rename(from, to, error);
}

bool StepFileSystem::remove(const QString& path, QString* error) {
    return step(QStringLiteral("delete ") + path, error) && FileSystem::remove(path, error);
}

bool StepFileSystem::syncDirectory(const QString& directory, QString* error) {
    return step(QStringLiteral("write folder ") + directory, error) &&
           FileSystem::syncDirectory(directory, error);
}

} // namespace nudgewell::test
