// SPDX-License-Identifier: GPL-3.0-or-later
// The real file system's steps, seen by strace from outside the process: the fault injectors
// replace the seam's calls whole, so only this shows that a write really reaches the disk
// (write, fsync, rename, then fsync of the folder) and in that order.
#include "data/reminder_store.h"
#include "fakes.h"
#include "platform/file_replace.h"
#include "platform/file_system.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace nudgewell;

namespace {

// What the traced child does: a whole-file replace, then a record appended in place.
int takeSteps(const QString& dir) {
    const QString target = QDir(dir).filePath("reminder.dat");
    QString error;
    if (replaceFile(FileSystem::real(), target, QDir(dir).filePath("reminder.tmp"),
                    QByteArray(70, 'a'), &error) != ReplaceOutcome::Done)
        return 1;
    ReminderStore store(dir, FileSystem::real());
    if (!store.Open(&error))
        return 1;
    const QByteArray bytes = test::recordBytes("Two", 'X', 'O', "01/02/2030");
    return store.WriteRecord(2, ReminderRecord::fromBytes(bytes.constData(), 70), &error) ? 0 : 1;
}

} // namespace

class TestFileSteps : public QObject {
    Q_OBJECT

private slots:
    void stepsReachTheDisk() {
        const QString strace = QStandardPaths::findExecutable("strace");
        if (strace.isEmpty())
            QSKIP("strace is missing (scripts/setup.sh installs it)");
        QTemporaryDir dir;
        const QString trace = dir.filePath("trace.txt");
        const QString data = QDir(dir.path()).filePath("data");
        QVERIFY(QDir().mkdir(data));
        QProcess child;
        // The leak checker cannot run under ptrace; the suite's own run checks for leaks.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":detect_leaks=0");
        child.setProcessEnvironment(env);
        child.start(strace, {"-f", "-qq", "-y", "-o", trace, "-e",
                             "trace=write,pwrite64,fsync,fdatasync,rename,renameat,renameat2",
                             QCoreApplication::applicationFilePath(), "--steps", data});
        QVERIFY(child.waitForFinished(60000));
        QVERIFY2(child.exitCode() == 0, child.readAllStandardError().constData());

        // Each call on a file of the folder, by name (-y names the file of each descriptor):
        // "write reminder.tmp", "fsync .", ...
        QFile file(trace);
        QVERIFY(file.open(QIODevice::ReadOnly));
        static const QRegularExpression function(R"(^(?:\d+ +)?(\w+)\()");
        const QRegularExpression path("[<\"](" + QRegularExpression::escape(data) + "[^>\"]*)");
        const QHash<QString, QString> same = {{"fdatasync", "fsync"},
                                              {"pwrite64", "write"},
                                              {"renameat", "rename"},
                                              {"renameat2", "rename"}};
        QStringList steps;
        for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
            QStringList words = {function.match(line).captured(1)};
            words[0] = same.value(words[0], words[0]);
            for (const QRegularExpressionMatch& m : path.globalMatch(line))
                words << (m.captured(1) == data ? QString(".")
                                                : QFileInfo(m.captured(1)).fileName());
            if (words.size() > 1 && !line.contains("= -1"))
                steps << words.join(' ');
        }
        QCOMPARE(steps.join(" | "),
                 QString("write reminder.tmp | fsync reminder.tmp | rename reminder.tmp "
                         "reminder.dat | fsync . | write reminder.dat | fsync reminder.dat"));
    }
};

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--steps")
        return takeSteps(QString::fromLocal8Bit(argv[2]));
    TestFileSteps test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_file_steps.moc"
