// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/clock.h"
#include "platform/file_system.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QTemporaryDir>

namespace nudgewell::test {

// A clock stopped at one moment, in one locale.
class FakeClock final : public Clock {
public:
    FakeClock(const QDateTime& now, const QLocale& locale) : m_now(now), m_locale(locale) {}
    QDateTime now() const override { return m_now; }
    QLocale locale() const override { return m_locale; }
    void set(const QDateTime& now) { m_now = now; }
    void setLocale(const QLocale& locale) { m_locale = locale; }

private:
    QDateTime m_now;
    QLocale m_locale;
};

// The real file system with faults put in. Every call is one step, all kinds counted
// together; at step `killAtStep` the process dies by SIGKILL before the step is taken, as a
// kill between two system calls leaves it. A step fails when it is step `failAtStep`, or the
// `failOnCall`-th call of the kind `failAt`: with the system's text for `failErrno`, or with
// "injected failure" when that is 0. A failing write puts half of its bytes down first, and
// with `spaceLeft` set every write stops short where the disk is full (ENOSPC).
class FailingFileSystem final : public FileSystem {
public:
    enum class Step {
        None,
        Open,
        Read,
        Write,
        Flush,
        Rename,
        Remove,
        SyncDirectory,
        Adopt,
        // Taking over the written file's descriptor, and then opening it by name, both fail.
        AdoptAndReopen
    };

    Step failAt = Step::None;
    int failOnCall = 1; // 1 = the first
    int failAtStep = 0; // 0: never
    int killAtStep = 0; // 0: never
    int failErrno = 0;
    int steps = 0; // taken so far, the failed one included
    // Bytes the disk takes beyond the ends of files before it is full; -1: no end.
    qint64 spaceLeft = -1;

    // The kinds a test does not name count as steps too.
    bool openReadOnly(QFile& f, QString* e) override {
        return !fails(Step::None, e) && FileSystem::openReadOnly(f, e);
    }
    bool create(QFile& f, QString* e) override {
        return !fails(Step::None, e) && FileSystem::create(f, e);
    }
    bool truncate(QFile& f, qint64 length, QString* e) override {
        return !fails(Step::None, e) && FileSystem::truncate(f, length, e);
    }
    bool read(QFile& f, qint64 at, qint64 length, QByteArray* data, QString* e) override {
        return !fails(Step::Read, e) && FileSystem::read(f, at, length, data, e);
    }
    bool flush(QFile& f, QString* e) override {
        return !fails(Step::Flush, e) && FileSystem::flush(f, e);
    }
    bool rename(const QString& from, const QString& to, QString* e) override {
        return !fails(Step::Rename, e) && FileSystem::rename(from, to, e);
    }
    bool remove(const QString& path, QString* e) override {
        return !fails(Step::Remove, e) && FileSystem::remove(path, e);
    }
    bool syncDirectory(const QString& folder, QString* e) override {
        return !fails(Step::SyncDirectory, e) && FileSystem::syncDirectory(folder, e);
    }
    bool openReadWrite(QFile& file, QString* error) override;
    bool adopt(QFile& opened, QFile& file, QString* error) override;
    bool write(QFile& file, qint64 offset, const QByteArray& data, QString* error) override;

protected:
    qint64 systemWrite(int fd, const char* data, qint64 length, qint64 offset) override;

private:
    // True when this step (of a kind a test cannot name: None) is to fail; *error says why.
    bool fails(Step kind, QString* error);
    int m_calls = 0;
    bool m_failNextOpen = false;
};

QByteArray readFile(const QString& path);
// Puts something other than a regular file at `path`: "folder", "pipe" (a FIFO) or "device"
// (a symbolic link to /dev/zero).
void makeNotRegular(const QString& path, const QString& kind);
void writeFile(const QString& path, const QByteArray& bytes);

// A 70-byte record from its fields, the text padded to 55.
QByteArray recordBytes(const QString& text, char flag, char code, const QString& date,
                       const QByteArray& reserved = QByteArray(3, '\0'));

} // namespace nudgewell::test

Q_DECLARE_METATYPE(nudgewell::test::FailingFileSystem::Step)
