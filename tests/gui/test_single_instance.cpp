// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes.h"
#include "platform/single_instance.h"
#include "ui/bring_to_front.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

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
        const QString folder = root.filePath("data");
        QVERIFY(QDir().mkpath(folder + "/inner") && QDir().mkpath(root.filePath("beside")));
        QVERIFY(QFile::link(folder, folder + "/link"));
        writeFile(folder + "/reminder.dat", QByteArray(70, 'x'));
        SingleInstance first;
        QString note;
        QCOMPARE(first.claim(folder, &note), Claim::First);
        QSignalSpy raised(&first, &SingleInstance::raiseRequested);
        const QMap<QString, QByteArray> before = contents(folder);
        SingleInstance other;
        QCOMPARE(other.claim(QDir(folder).filePath(second), &note), expected);
        QVERIFY2(note.isEmpty(), qPrintable(note));
        QCOMPARE(contents(folder), before);
        QCOMPARE(raised.wait(expected == Claim::AnotherRuns ? 2000 : 200),
                 expected == Claim::AnotherRuns);
    }

    // Whatever a run killed before writing it, another computer or a person left under the
    // lock's name, no live copy holds it: the next start runs. (A crashed run's own lock is
    // the second start's end-to-end check.) A folder where no lock can be made starts
    // unguarded, with the reason.
    void leftLock_data() {
        QTest::addColumn<QByteArray>("left"); // "folder", "read-only" or "gone" for a folder
        QTest::addColumn<QString>("note");    // a part of the reason; none for a first start
        const auto row = [](const char* name, const QByteArray& left, const char* note) {
            QTest::newRow(name) << left << QString(note);
        };
        row("empty", QByteArray(), "");
        row("garbage", QByteArray("\xff\x00garbage\n", 10), "");
        row("another computer's", "4242\nnudgewell\nelsewhere\n", "");
        row("a folder of that name", "folder", kLockFileName);
        row("read-only folder", "read-only", "denied");
        row("folder gone", "gone", "No such file");
    }
    void leftLock() {
        QFETCH(QByteArray, left);
        QFETCH(QString, note);
        if (left == "read-only" && ::geteuid() == 0)
            QSKIP("root writes into read-only folders");
        QTemporaryDir root;
        const QString dir = root.filePath("data");
        const QString lock = QDir(dir).filePath(QLatin1String(kLockFileName));
        QVERIFY(left == "gone" || QDir().mkdir(dir));
        if (left == "folder")
            QVERIFY(QDir().mkdir(lock));
        else if (left == "read-only")
            QVERIFY(QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        else if (left != "gone")
            writeFile(lock, left);
        // A crashed run also leaves its socket in the temporary folder.
        writeFile(QDir(QDir::tempPath()).filePath(SingleInstance::serverName(dir)), "old");
        QString said;
        {
            SingleInstance first;
            QCOMPARE(first.claim(dir, &said), note.isEmpty() ? Claim::First : Claim::Unguarded);
            QVERIFY2(note.isEmpty()
                         ? said.isEmpty()
                         : said.contains(note) && said.contains(QLatin1String(kLockFileName)),
                     qPrintable(said));
            QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner);
            if (!note.isEmpty()) {
                QCOMPARE(QFile::exists(lock), left == "folder");
                return;
            }
            QSignalSpy raised(&first, &SingleInstance::raiseRequested);
            SingleInstance second;
            QCOMPARE(second.claim(dir, &said), Claim::AnotherRuns);
            QVERIFY(raised.wait(2000));
        }
        // A copy that ends, on its way out or by release(), leaves the next start free.
        QVERIFY(!QFile::exists(lock));
        SingleInstance third;
        QCOMPARE(third.claim(dir, &said), Claim::First);
        third.release();
        SingleInstance fourth;
        QCOMPARE(fourth.claim(dir, &said), Claim::First);
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
        QWidget window, other;
        window.show();
        QDialog dialog(&window);
        dialog.setModal(true);
        dialog.setVisible(dialogOpen);
        other.show();
        other.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &other);
        window.setWindowState(state);
        nudgewell::bringToFront(window);
        QVERIFY(window.isVisible() && !window.isMinimized());
        QCOMPARE(window.isMaximized(), state.testFlag(Qt::WindowMaximized));
        QTRY_COMPARE(QApplication::activeWindow(),
                     dialogOpen ? static_cast<QWidget*>(&dialog) : &window);
    }
};

QTEST_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
