// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, window size and exit of the main window.
#include "gui_fixture.h"
#include "main/twips.h"

#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

const QByteArray kChristmas =
    QByteArray("Christmas Day") + QByteArray(42, ' ') + QByteArray(3, '\0') + "XY";

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void firstStartSeedsFilesAndSettings_data();
    void firstStartSeedsFilesAndSettings();
    void secondStartAppendsAndKeepsReminders();
    void exitStoresSizeForNextStart_data();
    void exitStoresSizeForNextStart();
    void oddStoredSizesFallBack_data();
    void oddStoredSizesFallBack();
    void tooSmallWindowIsRestored();
    void startsMinimisedWhenAsked();
    void activationFollowsCalendarFormat_data();
    void activationFollowsCalendarFormat();
    void unopenableReminderFileEndsStartUp();
    void unwritableStartupLogIsReportedAndStartGoesOn();
};

void TestMainWindow::firstStartSeedsFilesAndSettings_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QByteArray>("startup");
    QTest::addColumn<QByteArray>("sampleDate");
    QTest::addColumn<QString>("dateLabel");
    QTest::newRow("month-first") << "" << QByteArray("12/06/202610:30:15 AM ")
                                 << QByteArray("12/25/2001") << "12/06/26";
    QTest::newRow("DD/MM is not day-first") << "DD/MM" << QByteArray("12/06/202610:30:15 AM ")
                                            << QByteArray("12/25/2001") << "12/06/26";
    QTest::newRow("day-first") << "dd/mm" << QByteArray("06/12/202610:30:15 AM ")
                               << QByteArray("25/12/2001") << "06/12/26";
}

void TestMainWindow::firstStartSeedsFilesAndSettings() {
    QFETCH(QString, format);
    QFETCH(QByteArray, sampleDate);
    WindowFixture f;
    if (!format.isEmpty())
        f.settings.save("Calendar Format", format);
    MainWindow& w = f.start();
    QVERIFY(f.started);

    QTEST(readFile(f.path("startup.dat")), "startup");
    QCOMPARE(f.reminderBytes(), kChristmas + sampleDate);
    QCOMPARE(f.settings.get("Days Checked"), QString("6"));
    QCOMPARE(w.recordCount(), 1);
    QCOMPARE(w.currentRecord(), 1);
    QCOMPARE(w.windowTitle(), QString("Nudgewell"));

    // 5655 x 8900 twips, centred on the screen.
    QCOMPARE(w.heightTwips(), 5655.0);
    QCOMPARE(w.widthTwips(), 8900.0);
    const double dpi = dpiOf(&w);
    QCOMPARE(w.height(), twipsToPixels(5655, dpi));
    QCOMPARE(w.width(), twipsToPixels(8900, dpi));
    const QRect screen = w.screen()->geometry();
    QVERIFY(qAbs(w.x() - (screen.width() - w.width()) / 2) <= 1);
    QVERIFY(qAbs(w.y() - (screen.height() - w.height()) / 2) <= 1);

    // Christmas is not within the next six days: the upcoming view is empty.
    QVERIFY(f.find<QLabel>("LabelNoRemindersWeek")->isVisible());
    QVERIFY(!f.find<QListView>("reminderlist")->isVisible());
    QVERIFY(!f.find<QListView>("reminderlist2")->isVisible());
    QCOMPARE(f.find<QLabel>("lblShowDate1")->text(), QString("Sunday"));
    QTEST(f.find<QLabel>("lblShowDate2")->text(), "dateLabel");
    QVERIFY(f.messages.shown.empty());
}

void TestMainWindow::secondStartAppendsAndKeepsReminders() {
    WindowFixture f;
    f.start();
    f.window->close();
    const QByteArray reminders = f.reminderBytes();
    f.clock.set(QDateTime(QDate(2026, 12, 7), QTime(21, 5, 0)));
    f.start();
    QCOMPARE(readFile(f.path("startup.dat")),
             QByteArray("12/06/202610:30:15 AM 12/07/20269:05:00 PM  "));
    QCOMPARE(f.reminderBytes(), reminders);
}

void TestMainWindow::exitStoresSizeForNextStart_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("F12") << "F12";
    QTest::newRow("toolbar") << "toolclose";
    QTest::newRow("close box") << "close";
}

void TestMainWindow::exitStoresSizeForNextStart() {
    QFETCH(QString, how);
    WindowFixture f;
    MainWindow& w = f.start();
    const double dpi = dpiOf(&w);
    w.resize(twipsToPixels(9600, dpi), twipsToPixels(6000, dpi));
    QTRY_COMPARE(w.widthTwips(), 9600.0);
    if (how == "F12") {
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_F12);
    } else if (how == "toolclose") {
        f.action("toolclose")->trigger();
    } else {
        w.close();
    }
    QVERIFY(!w.isVisible());
    QCOMPARE(f.settings.get("Height"), QString("6000"));
    QCOMPARE(f.settings.get("Width"), QString("9600"));

    MainWindow& again = f.start();
    QCOMPARE(again.heightTwips(), 6000.0);
    QCOMPARE(again.widthTwips(), 9600.0);
    QCOMPARE(again.width(), twipsToPixels(9600, dpi));
}

void TestMainWindow::oddStoredSizesFallBack_data() {
    QTest::addColumn<QString>("height");
    QTest::addColumn<QString>("width");
    QTest::addColumn<double>("expectedHeight");
    QTest::addColumn<double>("expectedWidth");
    QTest::newRow("not a number") << "tall"
                                  << "8000" << 5655.0 << 8900.0;
    QTest::newRow("negative") << "-50"
                              << "8000" << 5655.0 << 8900.0;
    QTest::newRow("width missing") << "6000"
                                   << "" << 6000.0 << 8900.0;
    QTest::newRow("width garbled") << "6000"
                                   << "x1" << 6000.0 << 8900.0;
}

void TestMainWindow::oddStoredSizesFallBack() {
    QFETCH(QString, height);
    QFETCH(QString, width);
    WindowFixture f;
    f.settings.save("Height", height);
    f.settings.save("Width", width);
    MainWindow& w = f.start();
    QTEST(w.heightTwips(), "expectedHeight");
    QTEST(w.widthTwips(), "expectedWidth");
    QVERIFY(f.messages.shown.empty());
}

void TestMainWindow::tooSmallWindowIsRestored() {
    WindowFixture f;
    MainWindow& w = f.start();
    const double dpi = dpiOf(&w);
    auto* list = f.find<QListView>("reminderlist");
    QCOMPARE(list->height(), twipsToPixels(5655 - 1920, dpi));
    QCOMPARE(list->width(), twipsToPixels(8900 - 365, dpi));

    w.resize(twipsToPixels(8900, dpi), twipsToPixels(1800, dpi));
    QTRY_COMPARE(int(f.messages.shown.size()), 1);
    QCOMPARE(f.messages.shown[0].title, QString("Nudgewell"));
    QCOMPARE(f.messages.shown[0].text,
             QString("Error Handler 20. You cannot resize this program so small. Nudgewell will "
                     "now resize itself to a proper size!"));
    QCOMPARE(f.messages.shown[0].icon, MessageBoxes::Icon::None);
    QCOMPARE(w.heightTwips(), 5655.0);
    QCOMPARE(w.widthTwips(), 8940.0);
    QCOMPARE(list->width(), twipsToPixels(8940 - 365, dpi));
    QCOMPARE(f.find<QListView>("reminderlist2")->height(), twipsToPixels(5655 - 1920, dpi));

    // A maximised window leaves the lists as they were.
    const QSize before = list->size();
    w.showMaximized();
    QTRY_VERIFY(w.isMaximized());
    QCOMPARE(list->size(), before);
    QCOMPARE(int(f.messages.shown.size()), 1);
}

void TestMainWindow::startsMinimisedWhenAsked() {
    WindowFixture f;
    f.settings.save("Minimize", "1");
    MainWindow& w = f.start();
    QVERIFY(w.isMinimized());

    WindowFixture g;
    g.settings.save("Minimize", "yes");
    QVERIFY(!g.start().isMinimized());
}

void TestMainWindow::activationFollowsCalendarFormat_data() {
    QTest::addColumn<QString>("via");
    QTest::newRow("About") << "menuhelpabout";
    QTest::newRow("Options") << "menuoptions";
    QTest::newRow("Calendar, closed") << "menuCalendar";
}

void TestMainWindow::activationFollowsCalendarFormat() {
    QFETCH(QString, via);
    WindowFixture f;
    f.writeReminders({recordBytes("Dentist", 'X', 'O', "12/08/2026")});
    f.start();
    QCOMPARE(f.lines("reminderlist").value(0).left(8), QString("12/08/26"));
    f.settings.save("Calendar Format", "dd/mm");
    // Returning from one of the program's own windows counts as activation.
    // A modal window is closed by a timer; a closed window is gone by the time the main
    // window has the focus again.
    QTimer::singleShot(100, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    f.action(via)->trigger();
    if (QWidget* other = QApplication::activeWindow(); other && other != f.window.get()) {
        if (via == "menuCalendar")
            other->close();
    }
    QTest::qWait(20);
    f.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    QTRY_COMPARE(f.find<QLabel>("lblShowDate2")->text(), QString("06/12/26"));
    QCOMPARE(f.find<QLabel>("lblShowDate1")->text(), QString("Sunday"));
    QCOMPARE(f.lines("reminderlist").value(0).left(8), QString("08/12/26"));
}

void TestMainWindow::unopenableReminderFileEndsStartUp() {
    WindowFixture f;
    f.files.failAt = FailingFileSystem::Step::Open;
    f.files.failOnCall = 2; // startup.dat opens first
    f.start(false);
    QVERIFY(!f.started);
    QCOMPARE(int(f.messages.shown.size()), 1);
    QCOMPARE(f.messages.shown[0].title, QString("Nudgewell"));
    QVERIFY(f.messages.shown[0].text.contains("injected failure"));
}

void TestMainWindow::unwritableStartupLogIsReportedAndStartGoesOn() {
    WindowFixture f;
    f.files.failAt = FailingFileSystem::Step::Write;
    f.start();
    QVERIFY(f.started);
    QCOMPARE(int(f.messages.shown.size()), 1);
    QVERIFY(f.messages.shown[0].text.contains("injected failure"));
    QCOMPARE(f.reminderBytes(), kChristmas + "12/25/2001");
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
