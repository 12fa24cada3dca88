// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui_fixture.h"

#include <QFile>
#include <QTest>

using namespace nudgewell;
using namespace nudgewell::test;
using Step = FailingFileSystem::Step;

namespace {

QByteArray rec(const char* text, char code, const char* date) {
    return recordBytes(QString::fromLatin1(text), 'X', code, QString::fromLatin1(date));
}

// An old one-time reminder the purge takes, between two that stay.
const QList<QByteArray> kRecords = {rec("Birthday", 'Y', "12/08/1970"),
                                    rec("Old visit", 'O', "05/12/2002"),
                                    rec("Rent", 'M', "12/01/2030")};

} // namespace

class TestWindowFaults : public QObject {
    Q_OBJECT

private slots:
    // A rewrite that took place must leave the window on the new file, even when holding it
    // open again goes wrong once (the next command opens it); a later New and Save then work.
    void storeComesBack_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<Step>("failAt");
        QTest::addColumn<int>("left"); // records after the command
        for (const auto& [name, step] : {std::pair{"take over", Step::Adopt},
                                         {"take over and reopen", Step::AdoptAndReopen},
                                         {"folder flush", Step::SyncDirectory}}) {
            const QByteArray n(name);
            QTest::newRow("delete, " + n) << "delete" << step << 2;
            QTest::newRow("cancel a new one, " + n) << "cancel" << step << 3;
            QTest::newRow("purge, " + n) << "purge" << step << 2;
        }
    }
    void storeComesBack() {
        QFETCH(QString, command);
        QFETCH(Step, failAt);
        QFETCH(int, left);
        WindowFixture f;
        f.writeReminders(kRecords);
        f.start();
        QVERIFY(f.started);
        if (command == QLatin1String("cancel"))
            f.press(Qt::Key_F5);
        f.files.failAt = failAt;
        if (command == QLatin1String("delete"))
            f.press(Qt::Key_F9);
        else if (command == QLatin1String("cancel"))
            f.press(Qt::Key_F8);
        else
            f.press(Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(f.reminderBytes().size(), 70 * left);
        QVERIFY(!f.find<QWidget>(QStringLiteral("Frame1"))->isVisible()); // the editor closed
        f.press(Qt::Key_F3);                                              // all reminders
        QCOMPARE(f.lines(QStringLiteral("reminderlist2")).size(), left);
        QVERIFY(f.action(QStringLiteral("menuclose"))->isEnabled());

        f.files.failAt = Step::None;
        const int messages = int(f.messages.shown.size());
        f.press(Qt::Key_F5);
        f.type(QStringLiteral("Dentist"));
        const QByteArray after = f.press(Qt::Key_F6);
        QCOMPARE(f.messages.shown.size(), messages);
        QCOMPARE(after.size(), 70 * (left + 1));
        QVERIFY(after.mid(70 * left).startsWith("Dentist "));
    }

    // A full disk: the write is undone and the message says what did not happen and why.
    void diskFull_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("message");
        QTest::newRow("New, 36 of 70 bytes fit")
            << int(Qt::Key_F5) << "The new reminder was not added.";
        QTest::newRow("Delete") << int(Qt::Key_F9) << "The reminder was not deleted.";
    }
    void diskFull() {
        QFETCH(int, key);
        QFETCH(QString, message);
        WindowFixture f;
        f.writeReminders(kRecords);
        f.start();
        f.files.spaceLeft = 36;
        QCOMPARE(f.press(key), kRecords.join());
        QVERIFY(!f.window->isEditing());
        QCOMPARE(f.messages.last().section(QLatin1Char('\n'), 0, 0), "Nudgewell: " + message);
        QVERIFY2(f.messages.last().endsWith(QLatin1String(": No space left on device")),
                 qPrintable(f.messages.last()));
    }

    // F12 ends the program even while the editor cannot be closed.
    void exitWhileStuck() {
        WindowFixture f;
        f.writeReminders(kRecords);
        f.start();
        f.press(Qt::Key_F5);
        f.files.failAt = Step::Rename;
        f.press(Qt::Key_F8);
        QVERIFY(f.window->isEditing());
        f.press(Qt::Key_F12);
        QVERIFY(!f.window->isVisible());
    }

    // A reminder file that may only be read is shown; the commands that write are not offered
    // and nothing reaches the file.
    void readOnlyFile() {
        WindowFixture f;
        f.writeReminders(kRecords);
        f.files.failAt = Step::Open;
        f.files.failOnCall = 2; // startup.dat opens, reminder.dat does not
        f.start();
        QVERIFY(f.started);
        QCOMPARE(f.messages.shown.size(), 1);
        QVERIFY2(f.messages.last().contains(QLatin1String("changes cannot be saved")) &&
                     f.messages.last().contains(QLatin1String("injected failure")),
                 qPrintable(f.messages.last()));
        const QStringList writing = {"menuadd", "menuedit", "menudelete", "menudeleteold",
                                     "tooladd", "tooledit", "tooldelete"};
        for (const QString& name : writing)
            QVERIFY2(!f.action(name)->isEnabled(), qPrintable(name));
        f.press(Qt::Key_F3);
        QCOMPARE(f.lines(QStringLiteral("reminderlist2")).size(), 3);
        for (int key : {Qt::Key_F5, Qt::Key_F7, Qt::Key_F9, Qt::Key_Return})
            QCOMPARE(f.press(key), kRecords.join());
        QCOMPARE(f.press(Qt::Key_D, Qt::ControlModifier), kRecords.join());
        auto* list = f.find<QListView>(QStringLiteral("reminderlist2"));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                           list->visualRect(list->model()->index(0, 0)).center());
        QVERIFY(!f.find<QWidget>(QStringLiteral("Frame1"))->isVisible());
        QCOMPARE(f.messages.shown.size(), 1);
    }

    // A settings file that cannot be read is said so once, with the reason; the window starts
    // on the defaults and neither the start nor the exit writes the file over.
    void unreadableSettings() {
        WindowFixture f;
        const QString ini = f.path(QStringLiteral("garbled.conf"));
        const QByteArray garbled = "[Nudgewell\nHeight=6000\nDays Checked=9\n";
        writeFile(ini, garbled);
        SettingsStore settings(ini);
        MainWindow window(Services{f.clock, settings, f.messages, f.help, f.files, f.printer,
                                   f.clipboard, f.systemDate, f.dir.path()});
        QVERIFY(window.startUp());
        QCOMPARE(f.messages.shown.size(), 1);
        QVERIFY2(f.messages.last().contains(QLatin1String("Cannot read the settings file")) &&
                     f.messages.last().contains(QLatin1String("not closed")),
                 qPrintable(f.messages.last()));
        window.show();
        window.resize(window.size() + QSize(40, 40));
        window.close();
        QCOMPARE(f.messages.shown.size(), 1); // the exit says it on standard error
        QCOMPARE(readFile(ini), garbled);
    }
};

QTEST_MAIN(TestWindowFaults)
#include "test_window_faults.moc"
