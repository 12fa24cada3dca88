// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/file_system.h"

namespace nudgewell::test {

// The real file system with every call counted as one step, all kinds together. At step
// `killAt` the process dies by SIGKILL before the step is taken, as a kill between two system
// calls leaves it; at step `failAt` the step fails with `failErrno` and the system's text for
// it (a failing write puts half of its bytes down first, as a full disk may).
class StepFileSystem final : public FileSystem {
public:
    int killAt = 0; // 0: never
    int failAt = 0; // 0: never
    int failErrno = 0;
    int steps = 0; // taken so far, the failed one included

    bool openReadWrite(QFile& file, QString* error) override;
    bool openReadOnly(QFile& file, QString* error) override;
    bool create(QFile& file, QString* error) override;
    bool adopt(QFile& opened, QFile& file, QString* error) override;
    bool read(QFile& file, qint64 offset, qint64 length, QByteArray* data, QString* error) override;
    bool write(QFile& file, qint64 offset, const QByteArray& data, QString* error) override;
    bool flush(QFile& file, QString* error) override;
    bool truncate(QFile& file, qint64 length, QString* error) override;
    bool rename(const QString& from, const QString& to, QString* error) override;
    bool remove(const QString& path, QString* error) override;
    bool syncDirectory(const QString& directory, QString* error) override;

private:
    // False when this step is to fail; *error then says why.
    bool step(const QString& what, QString* error);
};

} // namespace nudgewell::test
