// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes.h"
#include "key_script.h"
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

#include <tuple>
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
    // A first start, with what was left under the lock's name, then a second in `second`
    // (relative to the first's folder). Whatever a run killed before writing it, another
    // computer or a person left there, no live copy holds it. (A crashed run's own lock is the
    // second start's end-to-end check.) A folder where no lock can be made starts unguarded,
    // with the reason.
    void claim() {
        // name, what was left ("empty", "folder", "read-only" or "gone"), a part of the first
        // start's reason if any, the second's folder, what the second gets
        using Row = std::tuple<const char*, QByteArray, QString, QString, Claim>;
        const Row rows[] = {
            {"same folder", "", "", ".", Claim::AnotherRuns},
            {"same folder by another path", "", "", "link", Claim::AnotherRuns},
            {"folder inside it", "", "", "inner", Claim::First},
            {"folder beside it", "", "", "../beside", Claim::First},
            {"empty lock left", "empty", "", ".", Claim::AnotherRuns},
            {"garbage left", QByteArray("\xff\x00garbage\n", 10), "", ".", Claim::AnotherRuns},
            {"another computer's", "4242\nnudgewell\nelsewhere\n", "", ".", Claim::AnotherRuns},
            {"a folder of that name", "folder", kLockFileName, "", Claim::Unguarded},
            {"read-only folder", "read-only", "denied", "", Claim::Unguarded},
            {"folder gone", "gone", "No such file", "", Claim::Unguarded},
        };
        for (const auto& [name, left, note, second, expected] : rows) {
            const auto named = nameFailures(name);
            if (left == "read-only" && ::geteuid() == 0) { // root writes into read-only folders
                qInfo("row \"%s\" skipped: run as root", name);
                continue;
            }
            QTemporaryDir root;
            const QString dir = root.filePath("data");
            const QString lock = QDir(dir).filePath(QLatin1String(kLockFileName));
            QVERIFY(left == "gone" ||
                    (QDir().mkpath(dir + "/inner") && QDir().mkpath(root.filePath("beside")) &&
                     QFile::link(dir, dir + "/link")));
            writeFile(dir + "/reminder.dat", QByteArray(70, 'x'));
            if (left == "folder")
                QVERIFY(QDir().mkdir(lock));
            else if (left == "read-only")
                QVERIFY(QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
            else if (!left.isEmpty() && left != "gone")
                writeFile(lock, left == "empty" ? QByteArray() : left);
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
                    continue;
                }
                QSignalSpy raised(&first, &SingleInstance::raiseRequested);
                const QMap<QString, QByteArray> before = contents(dir);
                SingleInstance other;
                QCOMPARE(other.claim(QDir(dir).filePath(second), &said), expected);
                QVERIFY2(said.isEmpty(), qPrintable(said));
                QCOMPARE(contents(dir), before);
                const bool raise = expected == Claim::AnotherRuns;
                QCOMPARE(raised.wait(raise ? 2000 : 200), raise);
            }
            // A copy that ends, on its way out or by release(), leaves the next start free.
            QVERIFY(!QFile::exists(lock));
            SingleInstance third;
            QCOMPARE(third.claim(dir, &said), Claim::First);
            third.release();
            SingleInstance fourth;
            QCOMPARE(fourth.claim(dir, &said), Claim::First);
        }
    }

    void bringToFront() {
        using Case = std::pair<Qt::WindowStates, bool>; // and whether a dialog is open
        for (const auto& [state, dialogOpen] :
             {Case{Qt::WindowMinimized, false},
              Case{Qt::WindowMinimized | Qt::WindowMaximized, false}, Case{{}, true}}) {
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
    }
};

QTEST_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
