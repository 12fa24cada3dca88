// SPDX-License-Identifier: GPL-3.0-or-later
// Another program changes reminder.dat while a command runs; the file afterwards holds all of
// theirs and the command's own effect. Records are named by one letter each.
#include "data/reminder_session.h"
#include "fakes.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <future>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

// A: first, B: the highlighted or edited one, C: last, F: theirs, G: B as they changed it,
// P: New's placeholder, E: the edit, X and Y: an import.
QByteArray letters(const QString& names) {
    QByteArray bytes;
    for (const QChar name : names)
        bytes += recordBytes(QString(name) + QStringLiteral(" reminder"), 'X', 'Y',
                             QStringLiteral("12/25/2001"));
    return bytes;
}

ReminderRecord named(char name) {
    const QByteArray bytes = letters(QString(QLatin1Char(name)));
    return ReminderRecord::fromBytes(bytes.constData(), bytes.size());
}

// What another program does to the file.
void change(const QString& path, const QString& how) {
    const QByteArray name = QFile::encodeName(path);
    if (how == QLatin1String("replaced by rename")) {
        writeFile(path + QStringLiteral(".sync"), letters(QStringLiteral("ABCF")));
        QVERIFY(::rename(QFile::encodeName(path + QStringLiteral(".sync")), name) == 0);
    } else if (how == QLatin1String("record appended")) {
        const int fd = ::open(name, O_WRONLY | O_APPEND);
        QVERIFY(::write(fd, letters(QStringLiteral("F")).constData(), 70) == 70);
        ::close(fd);
    } else if (how == QLatin1String("changed in place")) {
        const int fd = ::open(name, O_WRONLY);
        QVERIFY(::pwrite(fd, letters(QStringLiteral("G")).constData(), 70, 70) == 70);
        ::close(fd);
    } else if (how == QLatin1String("shortened by one")) {
        QVERIFY(::truncate(name, QFileInfo(path).size() - 70) == 0);
    } else if (how == QLatin1String("deleted")) {
        QVERIFY(::unlink(name) == 0);
    }
}

} // namespace

class TestReminderSession : public QObject {
    Q_OBJECT

private slots:
    void foreignChange_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("foreign");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("note"); // "saved as new", "already gone" or ""
        const QStringList changes = {"none",
                                     "replaced by rename",
                                     "record appended",
                                     "changed in place",
                                     "shortened by one",
                                     "deleted",
                                     "appended under the lock"};
        // The file before is ABC; B is current. Per command, the file after each change.
        const struct {
            const char* command;
            QStringList after;
        } rows[] = {
            {"new", {"ABCP", "ABCFP", "ABCFP", "AGCP", "ABP", "P", "ABCFP"}},
            {"save", {"AEC", "AECF", "AECF", "AGCE+", "AE", "E+", "AECF"}},
            {"save after new", {"ABCE", "ABCFE+", "ABCEF", "AGCE", "ABCE+", "E+", "ABCEF"}},
            {"cancel after new", {"ABC", "ABCF-", "ABCF", "AGC", "ABC-", "-", "ABCF"}},
            {"delete", {"AC", "ACF", "ACF", "AGC-", "A", "-", "ACF"}},
            {"purge", {"BC", "BCF", "BCF", "GC", "B", "", "BCF"}},
            {"import", {"ABCXY", "ABCFXY", "ABCFXY", "AGCXY", "ABXY", "XY", "ABCFXY"}},
        };
        for (const auto& row : rows) {
            for (int i = 0; i < changes.size(); ++i) {
                QString after = row.after[i];
                QString note = after.endsWith('+')   ? QStringLiteral("saved as new")
                               : after.endsWith('-') ? QStringLiteral("already gone")
                                                     : QString();
                after.remove(QRegularExpression(QStringLiteral("[-+]$")));
                QTest::addRow("%s, %s", row.command, qPrintable(changes[i]))
                    << QString::fromLatin1(row.command) << changes[i] << after << note;
            }
        }
    }
    void foreignChange() {
        QFETCH(QString, command);
        QFETCH(QString, foreign);
        QFETCH(QString, after);
        QFETCH(QString, note);
        QTemporaryDir dir;
        const QString dat = dir.filePath(QStringLiteral("reminder.dat"));
        writeFile(dat, letters(QStringLiteral("ABC")));
        ReminderSession session(dir.path(), FileSystem::real());
        QString error;
        QVERIFY2(session.open(&error), qPrintable(error));
        session.setCurrent(2);
        if (command == QLatin1String("save"))
            QVERIFY(session.beginEdit());
        else if (command.endsWith(QLatin1String("after new")))
            QVERIFY(session.beginNew(named('P')).tookEffect());

        std::thread holder;
        if (foreign == QLatin1String("appended under the lock")) {
            // A cooperating program: it holds the lock while it appends, and the command waits.
            std::promise<void> locked;
            holder = std::thread([&dat, &locked] {
                const int fd = ::open(QFile::encodeName(dat), O_WRONLY | O_APPEND);
                ::flock(fd, LOCK_EX);
                locked.set_value();
                ::usleep(200000);
                if (::write(fd, letters(QStringLiteral("F")).constData(), 70) != 70)
                    qFatal("cannot append");
                ::close(fd);
            });
            locked.get_future().wait();
        } else {
            change(dat, foreign);
        }
        QSignalSpy written(&session, &ReminderSession::recordsWritten);
        ReminderSession::Result result;
        if (command == QLatin1String("new"))
            result = session.beginNew(named('P'));
        else if (command.startsWith(QLatin1String("save")))
            result = session.save(named('E'));
        else if (command == QLatin1String("cancel after new"))
            result = session.cancel();
        else if (command == QLatin1String("delete"))
            result = session.deleteCurrent();
        else if (command == QLatin1String("purge"))
            result = session.purge([](const ReminderRecord& r) { return r != named('A'); });
        else
            result = session.addRecords({named('X'), named('Y')});
        if (holder.joinable())
            holder.join();

        QVERIFY2(result.outcome == WriteResult::Outcome::Done, qPrintable(result.reason));
        QCOMPARE(readFile(dat), letters(after));
        QCOMPARE(result.savedAsNew, note == QLatin1String("saved as new"));
        QCOMPARE(result.alreadyGone, note == QLatin1String("already gone"));
        QCOMPARE(written.size(), result.alreadyGone ? 0 : 1);
        // The session holds what the file holds, and the editor is closed.
        QByteArray held;
        for (const ReminderRecord& r : session.records())
            held += r.bytes();
        QCOMPARE(held, letters(after));
        if (command != QLatin1String("new"))
            QCOMPARE(session.editMode(), ReminderSession::EditMode::None);
        if (command.startsWith(QLatin1String("save")))
            QCOMPARE(session.record(session.current()), named('E'));
    }
};

QTEST_GUILESS_MAIN(TestReminderSession)
#include "test_reminder_session.moc"
