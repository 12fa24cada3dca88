// SPDX-License-Identifier: GPL-3.0-or-later
// Every write path of the data files, interrupted at each of its file-system steps: after each,
// every file is exactly as it was or exactly as a finished run leaves it, the next start reads
// every reminder, and the path works again once the fault is gone.
#include "data/reminder_store.h"
#include "data/settings.h"
#include "data/startup_log.h"
#include "data/startup_log_file.h"
#include "fakes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
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
const char* const kConf = "Nudgewell.conf";
const char* const kNames[] = {kReminders, "startup.dat", kConf};

// The files of a folder, in the order of kNames; a null array for a file that is not there.
using Files = QList<QByteArray>;

Files filesIn(const QString& dir) {
    Files files;
    for (const char* name : kNames)
        files << readFile(QDir(dir).filePath(name));
    return files;
}

void putFiles(const QString& dir, const Files& files) {
    for (int i = 0; i < files.size(); ++i) {
        if (!files[i].isNull())
            writeFile(QDir(dir).filePath(kNames[i]), files[i]);
    }
}

Files before(const QString& path) {
    if (path == QLatin1String("seeding"))
        return {QByteArray(), kLog, kSettings};
    return {kFour, kLog, kSettings};
}

const QStringList kPaths = {"start-up record",    "seeding", "new", "save", "delete", "purge",
                            "start-up log purge", "settings"};

// Runs one write path as the program does.
bool runPath(const QString& path, const QString& dir, FileSystem& files, QString* error) {
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
    bool ok = false;
    if (path == QLatin1String("seeding"))
        ok = store.SeedSampleRecord(DateOrder::DayFirst, error);
    else if (path == QLatin1String("new") || path == QLatin1String("save")) // append, in place
        ok = store.WriteRecord(path == QLatin1String("new") ? store.count() + 1 : 2,
                               ReminderRecord::fromBytes(kPlaceholder.constData(), 70), error);
    else if (path == QLatin1String("delete"))
        ok = store.RewriteWithout(2, error);
    else if (path == QLatin1String("purge"))
        ok = store.RewriteKeeping([](const ReminderRecord& r) { return r.frequencyCode() != 'O'; },
                                  error);
    // The store's count follows the file, whatever happened.
    const int inFile = int(CountFromLength(readFile(store.path()).size(), 70));
    if (store.count() != inFile)
        *error = QStringLiteral("the store counts %1 of %2 records").arg(store.count()).arg(inFile);
    return ok && store.count() == inFile;
}

// The files a finished run leaves, and its number of steps.
Files finished(const QString& path, int* steps) {
    QTemporaryDir dir;
    putFiles(dir.path(), before(path));
    FailingFileSystem files;
    QString error;
    if (!runPath(path, dir.path(), files, &error))
        qFatal("%s fails without a fault: %s", qPrintable(path), qPrintable(error));
    *steps = files.steps;
    return filesIn(dir.path());
}

// The next start reads every byte of reminder.dat back as records.
bool startsWithEveryReminder(const QString& dir, QString* why) {
    ReminderStore store(dir);
    std::vector<ReminderRecord> records;
    if (!store.Open(why) || !store.readAll(&records, why))
        return false;
    QByteArray read;
    for (const ReminderRecord& record : records)
        read += record.bytes();
    *why = QStringLiteral("%1 records read back").arg(records.size());
    return read == readFile(QDir(dir).filePath(kReminders));
}

// What is left of an interrupted run goes with the next one.
bool leftoverFree(const QString& dir) {
    return QDir(dir).entryList(QDir::Files).filter(QStringLiteral(".tmp")).isEmpty();
}

} // namespace

class TestWritePaths : public QObject {
    Q_OBJECT

private slots:
    // Each path with each fault at each of its steps in turn: killed (in a child process),
    // failing with ENOSPC, EIO or EACCES (in this one), or refused by the real permissions of a
    // read-only reminder file or folder (once, in a child run as an unprivileged user in a user
    // namespace of its own, where the permissions hold even for root).
    void interrupted_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("fault");
        for (const QString& path : kPaths) {
            for (const char* fault :
                 {"kill", "ENOSPC", "EIO", "EACCES", "read-only file", "read-only folder"})
                QTest::newRow(qPrintable(path + ", " + fault)) << path << QString(fault);
        }
    }
    void interrupted() {
        QFETCH(QString, path);
        QFETCH(QString, fault);
        const bool kill = fault == QLatin1String("kill");
        const bool real = fault.startsWith(QLatin1String("read-only"));
        if (real && QProcess::execute("unshare", {"-U", "true"}) != 0)
            QSKIP("No user namespace to run without privileges in.");
        int steps = 0;
        const Files done = finished(path, &steps);
        const Files old = before(path);
        QVERIFY(done != old);
        const int code = fault == "ENOSPC" ? ENOSPC : fault == "EIO" ? EIO : EACCES;
        const QString reason = QString::fromLocal8Bit(std::strerror(code));
        for (int n = 1; n <= (real ? 1 : steps); ++n) {
            QTemporaryDir dir;
            putFiles(dir.path(), old);
            QString error;
            bool ok = false;
            if (kill || real) {
                // In the namespace the files are still the user's own: the owner's bits count.
                const QString locked =
                    fault.endsWith("file") ? dir.filePath(kReminders) : dir.path();
                const QFile::Permissions read = QFile::ReadOwner | QFile::ExeOwner;
                if (real)
                    QFile::setPermissions(locked, read);
                QProcess child;
                const QString self = QCoreApplication::applicationFilePath();
                const QStringList arguments = {"--child", path, dir.path(),
                                               QString::number(real ? 0 : n)};
                child.start(real ? "unshare" : self,
                            real ? QStringList{"-U", self} + arguments : arguments);
                QVERIFY(child.waitForFinished(30000));
                QCOMPARE(child.exitStatus(), real ? QProcess::NormalExit : QProcess::CrashExit);
                error = QString::fromLocal8Bit(child.readAllStandardOutput()).trimmed();
                if (real)
                    QFile::setPermissions(locked, read | QFile::WriteOwner);
                ok = real ? error.isEmpty() : filesIn(dir.path()) == done;
            } else {
                FailingFileSystem files;
                files.failAtStep = n;
                files.failErrno = code;
                ok = runPath(path, dir.path(), files, &error);
            }
            // Failed: nothing changed, and the reason is given. Done: all of it, and anything
            // that went wrong on the way is said. A kill leaves either.
            const QString where = QStringLiteral("step %1: ").arg(n) + error;
            const Files now = filesIn(dir.path());
            QVERIFY2(now == (ok ? done : old), qPrintable(where));
            QVERIFY2(kill || (error.isEmpty() ? ok : error.contains(reason)), qPrintable(where));
            QVERIFY2(kill || leftoverFree(dir.path()), qPrintable(where));
            QString why;
            QVERIFY2(startsWithEveryReminder(dir.path(), &why), qPrintable(where + why));
            // Recovered: without the fault the path finishes from where it left the folder.
            if (!ok) {
                FailingFileSystem healthy;
                QVERIFY2(runPath(path, dir.path(), healthy, &error), qPrintable(error));
                QVERIFY2(filesIn(dir.path()) == done && leftoverFree(dir.path()),
                         qPrintable(where));
            }
        }
    }

    // The real file system's steps, seen by strace from outside the process: the injector
    // replaces the seam's calls whole, so only this shows that a write really reaches the disk
    // (write, fsync, rename, then fsync of the folder) and in that order.
    void stepsReachTheDisk() {
        const QString strace = QStandardPaths::findExecutable("strace");
        if (strace.isEmpty())
            QSKIP("strace is missing (scripts/setup.sh installs it)");
        QTemporaryDir dir;
        const QString data = dir.filePath("data");
        QVERIFY(QDir().mkdir(data));
        putFiles(data, before("delete"));
        // The leak checker cannot run under ptrace; the suite's own run checks for leaks.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":detect_leaks=0");
        // Each call on a file of the folder, by name (-y names the file of each descriptor):
        // "write reminder.tmp", "fsync .", ...
        static const QRegularExpression function(R"(^(?:\d+ +)?(\w+)\()");
        const QRegularExpression file("[<\"](" + QRegularExpression::escape(data) + "[^>\"]*)");
        const QHash<QString, QString> same = {{"fdatasync", "fsync"},
                                              {"pwrite64", "write"},
                                              {"renameat", "rename"},
                                              {"renameat2", "rename"}};
        QStringList steps;
        for (const char* path : {"delete", "new"}) { // a whole-file replace, an append
            QProcess child;
            child.setProcessEnvironment(env);
            child.start(strace,
                        {"-f", "-qq", "-y", "-o", dir.filePath("trace"), "-e",
                         "trace=write,pwrite64,fsync,fdatasync,rename,renameat,renameat2",
                         QCoreApplication::applicationFilePath(), "--child", path, data, "0"});
            QVERIFY(child.waitForFinished(60000));
            QVERIFY2(child.exitCode() == 0, child.readAllStandardError().constData());
            for (const QString& line :
                 QString::fromUtf8(readFile(dir.filePath("trace"))).split('\n')) {
                QStringList words = {function.match(line).captured(1)};
                words[0] = same.value(words[0], words[0]);
                for (const QRegularExpressionMatch& m : file.globalMatch(line))
                    words << (m.captured(1) == data ? QString(".")
                                                    : QFileInfo(m.captured(1)).fileName());
                if (words.size() > 1 && !line.contains("= -1"))
                    steps << words.join(' ');
            }
        }
        QCOMPARE(steps.join(" | "),
                 QString("write reminder.tmp | fsync reminder.tmp | rename reminder.tmp "
                         "reminder.dat | fsync . | write reminder.dat | fsync reminder.dat"));
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The child: runs one path until its file-system step kills it, or says what went wrong.
    if (argc == 5 && std::strcmp(argv[1], "--child") == 0) {
        FailingFileSystem files;
        files.killAtStep = std::atoi(argv[4]);
        QString error;
        if (!runPath(argv[2], argv[3], files, &error) && error.isEmpty())
            error = QStringLiteral("failed without a reason");
        std::fputs(qPrintable(error + QLatin1Char('\n')), stdout);
        return 0;
    }
    TestWritePaths test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_write_paths.moc"
