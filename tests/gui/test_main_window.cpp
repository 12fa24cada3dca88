// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, window size and exit of the main window.
#include "gui_fixture.h"

#include <QLabel>
#include <QScreen>

using namespace nudgewell;
using namespace nudgewell::test;

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void firstStartExitAndNextStart_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("dayFirst");
        QTest::addColumn<QString>("exit");
        QTest::newRow("month-first, F12") << "" << false << "F12";
        QTest::newRow("DD/MM is not day-first, toolbar") << "DD/MM" << false << "toolclose";
        QTest::newRow("day-first, close box") << "dd/mm" << true << "close box";
    }

    void firstStartExitAndNextStart() {
        QFETCH(QString, format);
        QFETCH(bool, dayFirst);
        QFETCH(QString, exit);
        const QString today = dayFirst ? "06/12/2037" : "12/06/2037";
        WindowFixture f;
        if (!format.isEmpty())
            f.settings.save("Calendar Format", format);
        MainWindow& w = f.start();
        QCOMPARE(readFile(f.path("startup.dat")), today.toLatin1() + "10:30:15 AM ");
        const QByteArray christmas =
            recordBytes("Christmas Day", 'X', 'Y', dayFirst ? "25/12/2001" : "12/25/2001");
        QCOMPARE(f.reminderBytes(), christmas);
        QCOMPARE(f.settings.get("Days Checked"), QString("6"));
        QCOMPARE(w.currentRecord(), 1);
        QCOMPARE(f.find<QLabel>("lblShowDate1")->text(), QString("Sunday"));
        QCOMPARE(f.find<QLabel>("lblShowDate2")->text(), today.left(6) + "37");
        QVERIFY(f.messages.shown.empty());
        // 5655 x 8900 twips, centred on the screen.
        QCOMPARE(f.twips(), QSizeF(8900, 5655));
        QCOMPARE(w.size(), f.pixels(8900, 5655));
        const QRect screen = w.screen()->geometry();
        QVERIFY(qAbs(w.x() - (screen.width() - w.width()) / 2) <= 1);
        QVERIFY(qAbs(w.y() - (screen.height() - w.height()) / 2) <= 1);

        w.resize(f.pixels(9600, 6000));
        QTRY_COMPARE(f.twips(), QSizeF(9600, 6000));
        if (exit == "F12")
            f.press(Qt::Key_F12);
        else if (exit == "toolclose")
            f.action("toolclose")->trigger();
        else
            w.close();
        QVERIFY(!w.isVisible());
        QCOMPARE(f.settings.get("Height") + " " + f.settings.get("Width"), QString("6000 9600"));

        // The next start applies the size, appends its start and leaves the reminders alone.
        f.clock.set(QDateTime(QDate(2037, 12, 7), QTime(21, 5, 0)));
        MainWindow& again = f.start();
        QCOMPARE(f.twips(), QSizeF(9600, 6000));
        QCOMPARE(again.size(), f.pixels(9600, 6000));
        const QString next = dayFirst ? "07/12/2037" : "12/07/2037";
        QCOMPARE(readFile(f.path("startup.dat")),
                 (today + "10:30:15 AM " + next + "9:05:00 PM  ").toLatin1());
        QCOMPARE(f.reminderBytes(), christmas);
    }

    void oddStoredSettings_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<bool>("minimized");
        QTest::addColumn<int>("lines"); // of a weekly reminder for tomorrow
        QTest::newRow("not a number")
            << "Height=tall;Width=8000" << QSizeF(8900, 5655) << false << 1;
        QTest::newRow("width missing") << "Height=6000" << QSizeF(8900, 6000) << false << 1;
        QTest::newRow("minimised") << "Minimize=1" << QSizeF(8900, 5655) << true << 1;
        QTest::newRow("Minimize not 1") << "Minimize=yes" << QSizeF(8900, 5655) << false << 1;
        QTest::newRow("14 days checked") << "Days Checked=14" << QSizeF(8900, 5655) << false << 2;
        // The rules for odd values are the core's; these rows show the window applies them.
        QTest::newRow("days as text") << "Days Checked=lots" << QSizeF(8900, 5655) << false << 1;
    }

    void oddStoredSettings() {
        QFETCH(QString, stored);
        WindowFixture f;
        f.store(stored);
        f.writeReminders({recordBytes("Swim", 'X', 'W', "12/07/2037")});
        MainWindow& w = f.start();
        QTEST(f.twips(), "size");
        QTEST(w.isMinimized(), "minimized");
        QTEST(int(f.lines("reminderlist").size()), "lines");
        QVERIFY(f.messages.shown.empty());
    }

    void activationFollowsCalendarFormat_data() {
        QTest::addColumn<QString>("via");
        QTest::addColumn<bool>("all");
        QTest::newRow("About, all view") << "menuhelpabout" << true;
        QTest::newRow("Options") << "menuoptions" << false;
        QTest::newRow("Calendar, closed") << "menuCalendar" << false;
    }

    void activationFollowsCalendarFormat() {
        QFETCH(QString, via);
        QFETCH(bool, all);
        WindowFixture f;
        f.writeReminders({recordBytes("Dentist", 'X', 'O', "12/08/2037")});
        f.start();
        if (all)
            f.window->menushowall_Click();
        // A new date order and a file changed on disk are both picked up on activation.
        f.settings.save("Calendar Format", "dd/mm");
        f.writeReminders({recordBytes("Doctor", 'X', 'O', "12/08/2037")});
        // Returning from one of the program's own windows counts as activation; a closed window
        // is gone by the time the main window has the focus again.
        closeModalSoon();
        f.action(via)->trigger();
        if (QWidget* other = QApplication::activeWindow();
            via == "menuCalendar" && other != f.window.get())
            other->close();
        QTest::qWait(20);
        QVERIFY(f.activate());
        QTRY_COMPARE(f.find<QLabel>("lblShowDate2")->text(), QString("06/12/37"));
        QVERIFY(f.lines(all ? "reminderlist2" : "reminderlist")
                    .value(0)
                    .startsWith("08/12/37   Tue\tOnce   \tDoctor"));
    }

    void fileFailuresAtStartUp_data() {
        QTest::addColumn<FailingFileSystem::Step>("step");
        QTest::addColumn<int>("call");
        QTest::addColumn<QString>("message");
        // startup.dat opens first; without reminder.dat the start ends, without startup.dat not.
        QTest::newRow("reminder.dat will not open")
            << FailingFileSystem::Step::Open << 2
            << "Nudgewell: Nudgewell cannot open its reminder "
               "file and will now close.\ninjected failure";
        QTest::newRow("startup.dat cannot be written")
            << FailingFileSystem::Step::Write << 1
            << "Nudgewell: This start could not be added to the start-up list.\ninjected failure";
    }

    void fileFailuresAtStartUp() {
        QFETCH(FailingFileSystem::Step, step);
        QFETCH(int, call);
        WindowFixture f;
        f.files.failAt = step;
        f.files.failOnCall = call;
        f.start(false);
        const bool goesOn = step == FailingFileSystem::Step::Write;
        QCOMPARE(f.started, goesOn);
        QCOMPARE(int(f.messages.shown.size()), 1);
        QTEST(f.messages.last(), "message");
        QCOMPARE(f.reminderBytes(),
                 goesOn ? recordBytes("Christmas Day", 'X', 'Y', "12/25/2001") : "");
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
