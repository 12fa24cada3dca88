// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes.h"
#include "platform/single_instance.h"
#include "ui/bring_to_front.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <sys/file.h>
#include <unistd.h>

using namespace nudgewell;
using namespace nudgewell::test;
using Claim = SingleInstance::Claim;

namespace {

// Every file in the folder with its bytes, to prove that a start left it alone.
QMap<QString, QByteArray> contents(const QString& folder) {
    QMap<QString, QByteArray> files;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
        files.insert(name, readFile(dir.filePath(name)));
    return files;
}

// The id of a process that has just ended.
qint64 deadProcessId() {
    QProcess process;
    process.start(QStringLiteral("true"), {});
    process.waitForFinished();
    return process.processId() ? process.processId() : 999999;
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void secondStart_data() {
        QTest::addColumn<QString>("second"); // where the second start runs, relative to the first
        QTest::addColumn<Claim>("expected");
        QTest::newRow("same folder") << QString(".") << Claim::AnotherRuns;
        QTest::newRow("same folder by another path") << QString("link") << Claim::AnotherRuns;
        QTest::newRow("folder inside it") << QString("inner") << Claim::First;
        QTest::newRow("folder beside it") << QString("../beside") << Claim::First;
    }

    void secondStart() {
        QFETCH(QString, second);
        QFETCH(Claim, expected);
        QTemporaryDir root;
        const QString folder = root.filePath(QStringLiteral("data"));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/inner")));
        QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("beside"))));
        QVERIFY(QFile::link(folder, folder + QStringLiteral("/link")));
        writeFile(folder + QStringLiteral("/reminder.dat"), QByteArray(70, 'x'));

        SingleInstance first;
        QString note;
        QCOMPARE(first.claim(folder, &note), Claim::First);
        QVERIFY2(note.isEmpty(), qPrintable(note));
        QSignalSpy raised(&first, &SingleInstance::raiseRequested);
        const QMap<QString, QByteArray> before = contents(folder);

        SingleInstance other;
        QCOMPARE(other.claim(QDir(folder).filePath(second), &note), expected);
        QVERIFY2(note.isEmpty(), qPrintable(note));
        if (expected == Claim::AnotherRuns) {
            QCOMPARE(contents(folder), before);
            QVERIFY(raised.wait(2000));
        } else {
            QTest::qWait(200);
            QCOMPARE(raised.count(), 0);
        }
    }

    // Whatever a run that died (at any moment), another computer or a person left under the
    // lock's name, no live copy holds it: the next start runs.
    void leftLockBlocksNothing_data() {
        QTest::addColumn<QByteArray>("left"); // "folder" for a folder of that name
        QTest::addColumn<Claim>("expected");
        QTest::newRow("a crashed run's") << QByteArray::number(deadProcessId()) + "\nnudgewell\n\n"
                                         << Claim::First;
        QTest::newRow("empty: killed before writing it") << QByteArray() << Claim::First;
        QTest::newRow("garbage") << QByteArray("\xff\x00garbage\n", 10) << Claim::First;
        QTest::newRow("another computer's")
            << QByteArray("4242\nnudgewell\nelsewhere\n") << Claim::First;
        QTest::newRow("a folder of that name") << QByteArray("folder") << Claim::Unguarded;
    }
    void leftLockBlocksNothing() {
        QFETCH(QByteArray, left);
        QFETCH(Claim, expected);
        QTemporaryDir dir;
        const QString lock = dir.filePath(QLatin1String(kLockFileName));
        if (left == "folder")
            QVERIFY(QDir().mkdir(lock));
        else
            writeFile(lock, left);
        // A crashed run also leaves its socket in the temporary folder.
        writeFile(QDir(QDir::tempPath()).filePath(SingleInstance::serverName(dir.path())), "old");
        QString note;
        {
            SingleInstance first;
            QCOMPARE(first.claim(dir.path(), &note), expected);
            QCOMPARE(note.isEmpty(), expected == Claim::First);
            if (expected != Claim::First)
                return;
            QSignalSpy raised(&first, &SingleInstance::raiseRequested);
            SingleInstance second;
            QCOMPARE(second.claim(dir.path(), &note), Claim::AnotherRuns);
            QVERIFY(raised.wait(2000));
        }
        // A copy that ends, on its way out or by release(), leaves the next start free.
        QVERIFY(!QFile::exists(lock));
        SingleInstance third;
        QCOMPARE(third.claim(dir.path(), &note), Claim::First);
        third.release();
        SingleInstance fourth;
        QCOMPARE(fourth.claim(dir.path(), &note), Claim::First);
    }

    // A copy holds the lock but does not answer (hung, or its socket gone): the start ends
    // with the reason, which the program shows in a message box.
    void liveLockUnreachable() {
        QTemporaryDir dir;
        QFile held(dir.filePath(QLatin1String(kLockFileName)));
        QVERIFY(held.open(QIODevice::ReadWrite));
        QCOMPARE(::flock(held.handle(), LOCK_EX | LOCK_NB), 0);
        SingleInstance instance;
        QString note;
        QCOMPARE(instance.claim(dir.path(), &note), Claim::AnotherRuns);
        QVERIFY2(note.contains("could not be brought to the front"), qPrintable(note));
    }

    void unwritableFolderStillStarts_data() {
        QTest::addColumn<bool>("missing");
        QTest::newRow("read-only folder") << false;
        QTest::newRow("folder gone") << true;
    }

    void unwritableFolderStillStarts() {
        QFETCH(bool, missing);
        if (!missing && ::geteuid() == 0)
            QSKIP("root writes into read-only folders");
        QTemporaryDir root;
        const QString folder = root.filePath(QStringLiteral("data"));
        if (!missing) {
            QVERIFY(QDir().mkdir(folder));
            QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        }
        SingleInstance instance;
        QString note;
        QCOMPARE(instance.claim(folder, &note), Claim::Unguarded);
        QVERIFY2(note.contains(QLatin1String(kLockFileName)), qPrintable(note));
        QVERIFY2(note.contains(missing ? QStringLiteral("No such file") : QStringLiteral("denied")),
                 qPrintable(note));
        QVERIFY(!QFile::exists(QDir(folder).filePath(QLatin1String(kLockFileName))));
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
    }

    void bringToFront_data() {
        QTest::addColumn<Qt::WindowStates>("state");
        QTest::addColumn<bool>("dialogOpen");
        QTest::newRow("minimised") << Qt::WindowStates(Qt::WindowMinimized) << false;
        QTest::newRow("minimised from maximised")
            << Qt::WindowStates(Qt::WindowMinimized | Qt::WindowMaximized) << false;
        QTest::newRow("behind others, dialog open") << Qt::WindowStates() << true;
    }

    void bringToFront() {
        QFETCH(Qt::WindowStates, state);
        QFETCH(bool, dialogOpen);
        QWidget window;
        window.resize(300, 200);
        window.show();
        QDialog dialog(&window);
        if (dialogOpen) {
            dialog.setModal(true);
            dialog.show();
        }
        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &other);
        window.setWindowState(state);

        nudgewell::bringToFront(window);
        QVERIFY(window.isVisible());
        QVERIFY(!window.isMinimized());
        QCOMPARE(window.isMaximized(), state.testFlag(Qt::WindowMaximized));
        QTRY_COMPARE(QApplication::activeWindow(),
                     dialogOpen ? static_cast<QWidget*>(&dialog) : &window);
    }
};

QTEST_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
