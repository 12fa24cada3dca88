// SPDX-License-Identifier: GPL-3.0-or-later
// Every write path of the data files, killed before each of its file-system steps in turn (in
// a child process) and made to fail at each step with ENOSPC, EIO and EACCES (in this one).
// After each, every file is exactly as it was or exactly as a finished run leaves it, the next
// start reads every reminder, and the path works again once the fault is gone.
#include "data/reminder_store.h"
#include "data/settings.h"
#include "data/startup_log.h"
#include "data/startup_log_file.h"
#include "fakes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <cerrno>
#include <cstdio>
#include <cstring>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

QByteArray rec(const char* text, char code, const char* date) {
    return recordBytes(QString::fromLatin1(text), 'X', code, QString::fromLatin1(date));
}

const QByteArray kFour = rec("Birthday", 'Y', "08/12/1970") + rec("Old visit", 'O', "05/12/2002") +
                         rec("Rent", 'M', "01/12/2030") + rec("Old call", 'O', "06/12/2002");
const QByteArray kPlaceholder = rec("", 'X', "06/12/2037");
const QByteArray kLog = "17/10/200210:30:15 AM 18/10/200208:00:00 AM 19/10/200209:15:00 PM ";
const QByteArray kSettings = "[Nudgewell]\nHeight=5000\nWidth=8000\nDays%20Checked=6\n";

const char* const kReminders = "reminder.dat";
const char* const kStartup = "startup.dat";
const char* const kConf = "Nudgewell.conf";

// The files of a folder; a null array for a file that is not there.
struct Files {
    QByteArray reminders;
    QByteArray startup;
    QByteArray settings;
    bool operator==(const Files&) const = default;
};

QByteArray readIfThere(const QString& path) {
    return QFile::exists(path) ? readFile(path) : QByteArray();
}

Files filesIn(const QString& dir) {
    return {readIfThere(QDir(dir).filePath(kReminders)), readIfThere(QDir(dir).filePath(kStartup)),
            readIfThere(QDir(dir).filePath(kConf))};
}

void putFiles(const QString& dir, const Files& files) {
    if (!files.reminders.isNull())
        writeFile(QDir(dir).filePath(kReminders), files.reminders);
    if (!files.startup.isNull())
        writeFile(QDir(dir).filePath(kStartup), files.startup);
    if (!files.settings.isNull())
        writeFile(QDir(dir).filePath(kConf), files.settings);
}

Files before(const QString& path) {
    Files files{kFour, kLog, kSettings};
    if (path == QLatin1String("seeding"))
        files.reminders = QByteArray();
    if (path == QLatin1String("cancel after new"))
        files.reminders += kPlaceholder;
    return files;
}

const QStringList kPaths = {"start-up record",  "seeding", "new",   "save",
                            "cancel after new", "delete",  "purge", "start-up log purge",
                            "settings"};

// Runs one write path as the program does; *count gets the record count the store holds after
// it (-1 for a path that holds none).
bool runPath(const QString& path, const QString& dir, FileSystem& files, QString* error,
             int* count) {
    *count = -1;
    if (path == QLatin1String("start-up record"))
        return AppendStartupRecord(dir, QDateTime(QDate(2002, 10, 20), QTime(7, 45)),
                                   DateOrder::DayFirst, QLocale(QLocale::C), files, error);
    if (path == QLatin1String("start-up log purge")) {
        StartupLog log(dir, files);
        return log.Open(error) && log.purge(error);
    }
    if (path == QLatin1String("settings"))
        return SettingsStore(QDir(dir).filePath(kConf), files)
            .save({{keys::Height, QStringLiteral("6000")}, {keys::Width, QStringLiteral("9000")}},
                  error);
    ReminderStore store(dir, files);
    if (!store.Open(error))
        return false;
    ReminderRecord edited = ReminderRecord::fromBytes(kPlaceholder.constData(), 70);
    edited.setText(QStringLiteral("Dentist"));
    bool ok = false;
    if (path == QLatin1String("seeding"))
        ok = store.SeedSampleRecord(DateOrder::DayFirst, error);
    else if (path == QLatin1String("new"))
        ok = store.WriteRecord(store.count() + 1,
                               ReminderRecord::fromBytes(kPlaceholder.constData(), 70), error);
    else if (path == QLatin1String("save"))
        ok = store.WriteRecord(2, edited, error);
    else if (path == QLatin1String("cancel after new"))
        ok = store.RewriteWithout(store.count(), error);
    else if (path == QLatin1String("delete"))
        ok = store.RewriteWithout(2, error);
    else if (path == QLatin1String("purge"))
        ok = store.RewriteKeeping([](const ReminderRecord& r) { return r.frequencyCode() != 'O'; },
                                  error);
    *count = store.count();
    return ok;
}

// The files a finished run leaves, and its number of steps.
Files finished(const QString& path, int* steps) {
    QTemporaryDir dir;
    putFiles(dir.path(), before(path));
    FailingFileSystem files;
    QString error;
    int count = 0;
    if (!runPath(path, dir.path(), files, &error, &count))
        qFatal("%s fails without a fault: %s", qPrintable(path), qPrintable(error));
    *steps = files.steps;
    return filesIn(dir.path());
}

// Each file as it was or as a finished run leaves it; the next start reads every record.
bool oldOrNew(const Files& now, const Files& old, const Files& done, QString* why) {
    const auto check = [&](const char* name, const QByteArray& a, const QByteArray& b,
                           const QByteArray& c) {
        if (a == b || a == c)
            return true;
        *why = QStringLiteral("%1 is neither: %2").arg(name, QString::fromLatin1(a.toHex()));
        return false;
    };
    return check(kReminders, now.reminders, old.reminders, done.reminders) &&
           check(kStartup, now.startup, old.startup, done.startup) &&
           check(kConf, now.settings, old.settings, done.settings);
}

bool startsWithEveryReminder(const QString& dir, QString* why) {
    const QByteArray bytes = readIfThere(QDir(dir).filePath(kReminders));
    ReminderStore store(dir);
    std::vector<ReminderRecord> records;
    if (!store.Open(why) || !store.readAll(&records, why))
        return false;
    QByteArray read;
    for (const ReminderRecord& record : records)
        read += record.bytes();
    if (read == bytes)
        return true;
    *why = QStringLiteral("the store reads %1 records of %2 bytes")
               .arg(records.size())
               .arg(bytes.size());
    return false;
}

// What is left of an interrupted run goes with the next one.
bool leftoverFree(const QString& dir) {
    return QDir(dir).entryList(QDir::Files).filter(QStringLiteral(".tmp")).isEmpty();
}

} // namespace

class TestWritePaths : public QObject {
    Q_OBJECT

private slots:
    void kill_data() {
        QTest::addColumn<QString>("path");
        for (const QString& path : kPaths)
            QTest::newRow(qPrintable(path)) << path;
    }
    void kill() {
        QFETCH(QString, path);
        int steps = 0;
        const Files done = finished(path, &steps);
        const Files old = before(path);
        QVERIFY(!(done == old));
        int killed = 0;
        for (int n = 1; n <= steps; ++n) {
            QTemporaryDir dir;
            putFiles(dir.path(), old);
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--child"), path, dir.path(), QString::number(n)});
            QVERIFY(child.waitForFinished(30000));
            QCOMPARE(child.exitStatus(), QProcess::CrashExit);
            ++killed;
            const Files now = filesIn(dir.path());
            QString why;
            QVERIFY2(oldOrNew(now, old, done, &why),
                     qPrintable(QStringLiteral("step %1: ").arg(n) + why));
            QVERIFY2(startsWithEveryReminder(dir.path(), &why),
                     qPrintable(QStringLiteral("step %1: ").arg(n) + why));
            // Recovered: the path finishes from where the kill left the folder.
            if (now == old) {
                FailingFileSystem files;
                int count = 0;
                QVERIFY2(runPath(path, dir.path(), files, &why, &count), qPrintable(why));
                QVERIFY2(filesIn(dir.path()) == done, qPrintable(QStringLiteral("step %1").arg(n)));
                QVERIFY(leftoverFree(dir.path()));
            }
        }
        qInfo("%s: %d kill points", qPrintable(path), killed);
    }

    void fail_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("code");
        for (const QString& path : kPaths) {
            for (const auto& [name, code] :
                 {std::pair{"ENOSPC", ENOSPC}, {"EIO", EIO}, {"EACCES", EACCES}})
                QTest::newRow(qPrintable(path + ", " + name)) << path << code;
        }
    }
    void fail() {
        QFETCH(QString, path);
        QFETCH(int, code);
        int steps = 0;
        const Files done = finished(path, &steps);
        const Files old = before(path);
        const QString reason = QString::fromLocal8Bit(std::strerror(code));
        for (int n = 1; n <= steps; ++n) {
            const QString where = QStringLiteral("step %1").arg(n);
            QTemporaryDir dir;
            putFiles(dir.path(), old);
            FailingFileSystem files;
            files.failAtStep = n;
            files.failErrno = code;
            QString error;
            int count = 0;
            const bool ok = runPath(path, dir.path(), files, &error, &count);
            const Files now = filesIn(dir.path());
            // Failed: nothing changed, and the reason is given. Done: all of it, and anything
            // that went wrong on the way is said.
            QVERIFY2(now == (ok ? done : old), qPrintable(where + ": " + error));
            if (!ok || !(now == done))
                QVERIFY2(error.contains(reason), qPrintable(where + ": " + error));
            if (count >= 0)
                QCOMPARE(count, int(CountFromLength(now.reminders.size(), 70)));
            QVERIFY(leftoverFree(dir.path()));
            QString why;
            QVERIFY2(startsWithEveryReminder(dir.path(), &why), qPrintable(where + ": " + why));
            // Recovered: without the fault the path works.
            if (!ok) {
                FailingFileSystem healthy;
                QVERIFY2(runPath(path, dir.path(), healthy, &error, &count), qPrintable(error));
                QVERIFY(filesIn(dir.path()) == done);
            }
        }
    }

    // The real file system refusing: a reminder file that can only be read in a writable
    // folder, and a folder that can only be read. Run as an unprivileged user (a user
    // namespace of its own), where the permissions hold even for root.
    void realPermissions_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("folderWritable");
        for (const QString& path : kPaths) {
            QTest::newRow(qPrintable(path + ", reminder.dat read-only")) << path << true;
            QTest::newRow(qPrintable(path + ", folder read-only")) << path << false;
        }
    }
    void realPermissions() {
        QFETCH(QString, path);
        QFETCH(bool, folderWritable);
        if (QProcess::execute(QStringLiteral("unshare"),
                              {QStringLiteral("-U"), QStringLiteral("true")}) != 0)
            QSKIP("No user namespace to run without privileges in.");
        int steps = 0;
        const Files done = finished(path, &steps);
        const Files old = before(path);
        QTemporaryDir dir;
        putFiles(dir.path(), old);
        // In the namespace the files are still the user's own: the owner's bits count.
        const QFile::Permissions read = QFile::ReadOwner | QFile::ReadOther;
        for (const char* name : {kReminders, kStartup, kConf}) {
            const bool readOnly =
                folderWritable && QLatin1String(name) == QLatin1String(kReminders);
            QFile::setPermissions(QDir(dir.path()).filePath(name),
                                  readOnly ? read : read | QFile::WriteOwner);
        }
        const QFile::Permissions folder = read | QFile::ExeOwner | QFile::ExeOther;
        QFile::setPermissions(dir.path(), folderWritable ? folder | QFile::WriteOwner : folder);
        QProcess child;
        child.start(QStringLiteral("unshare"),
                    {QStringLiteral("-U"), QCoreApplication::applicationFilePath(),
                     QStringLiteral("--child"), path, dir.path(), QStringLiteral("0")});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        const QString error = QString::fromLocal8Bit(child.readAllStandardOutput()).trimmed();
        QFile::setPermissions(dir.path(), folder | QFile::WriteOwner);
        const Files now = filesIn(dir.path());
        QVERIFY2(now == (error.isEmpty() ? done : old), qPrintable(error));
        if (!error.isEmpty())
            QVERIFY2(error.contains(QString::fromLocal8Bit(std::strerror(EACCES))),
                     qPrintable(error));
        QString why;
        QVERIFY2(startsWithEveryReminder(dir.path(), &why), qPrintable(why));
        QVERIFY(leftoverFree(dir.path()));
        qInfo("%s", qPrintable(error.isEmpty() ? QStringLiteral("done")
                                               : error.section(QLatin1Char('\n'), 0, 0)));
    }
};

int main(int argc, char** argv) {
    // The child of kill(): runs one path until its file-system step kills it.
    if (argc == 5 && std::strcmp(argv[1], "--child") == 0) {
        QCoreApplication app(argc, argv);
        FailingFileSystem files;
        files.killAtStep = std::atoi(argv[4]);
        QString error;
        int count = 0;
        // Not killed: what went wrong, if anything, for realPermissions().
        if (!runPath(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), files,
                     &error, &count) &&
            error.isEmpty())
            error = QStringLiteral("failed without a reason");
        std::fputs(qPrintable(error + QLatin1Char('\n')), stdout);
        return 0;
    }
    QCoreApplication app(argc, argv);
    TestWritePaths test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_write_paths.moc"
