// SPDX-License-Identifier: GPL-3.0-or-later
// The upcoming and all-reminders lists as the window shows them.
#include "gui_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace nudgewell;
using namespace nudgewell::test;

class TestViews : public QObject {
    Q_OBJECT

private slots:
    void allViewListsSortedWithCaption();
    void emptyViewsShowTheirLabels();
    void upcomingViewSelectsFirstOccurrence();
    void selectionFindsTheRecordOfTheLine_data();
    void selectionFindsTheRecordOfTheLine();
    void oddDaysCheckedUsesSix_data();
    void oddDaysCheckedUsesSix();
    void unreadableDateStaysListed();
    void activationRebuildsTheAllView();
};

void TestViews::allViewListsSortedWithCaption() {
    WindowFixture f;
    f.writeReminders({recordBytes("zebra crossing", 'X', 'W', "12/25/2001"),
                      recordBytes("Anniversary", 'A', 'Y', "01/03/1990"),
                      recordBytes("odd code", 'X', 'Q', "02/14/2003")});
    f.start();
    f.window->menushowall_Click();
    QCOMPARE(f.window->windowTitle(), QString("Nudgewell -  3 saved"));
    const QStringList lines = f.lines("reminderlist2");
    const QString pad = QString(55, ' ');
    QCOMPARE(lines, QStringList({
                        "01/03/90   Wed\tYearly \tAnniversary" + pad.mid(11) + " ... 36 years",
                        "02/14/03   Fri\tQ\todd code" + pad.mid(8),
                        "12/25/01   Tue\tWeekly \tzebra crossing" + pad.mid(14),
                    }));
    // The first line is selected and its record is current.
    QCOMPARE(f.find<QListView>("reminderlist2")->currentIndex().row(), 0);
    QCOMPARE(f.window->currentRecord(), 2);
    QCOMPARE(f.find<QLineEdit>("txtreminder")->text(), QString("Anniversary"));
    QVERIFY(f.find<QListView>("reminderlist2")->isVisible());
    QVERIFY(!f.find<QLabel>("LabelNoRemindersAll")->isVisible());
    QVERIFY(f.action("toolprint")->isEnabled());
    QVERIFY(f.action("menuprintreminders")->isVisible());
}

void TestViews::emptyViewsShowTheirLabels() {
    WindowFixture f;
    f.start();
    f.window->DeleteSelected();
    QCOMPARE(f.reminderBytes().size(), 0);
    auto* week = f.find<QLabel>("LabelNoRemindersWeek");
    QCOMPARE(week->text(), QString("You have no upcoming reminders!"));
    QVERIFY(week->isVisible());
    QVERIFY(week->font().bold());
    QCOMPARE(week->font().pointSize(), 12);
    QCOMPARE(week->palette().color(QPalette::WindowText), QColor(192, 0, 0));
    QVERIFY(f.action("toolshowall")->isVisible());
    QVERIFY(!f.action("toolshowweek")->isVisible());

    f.window->menushowall_Click();
    auto* all = f.find<QLabel>("LabelNoRemindersAll");
    QCOMPARE(all->text(), QString("You have no reminders saved!"));
    QVERIFY(all->isVisible());
    QVERIFY(!week->isVisible());
    QVERIFY(!f.find<QListView>("reminderlist2")->isVisible());
    QCOMPARE(f.window->windowTitle(), QString("Nudgewell -  0 saved"));
    QVERIFY(!f.action("tooledit")->isEnabled());
    QVERIFY(!f.action("tooldelete")->isEnabled());
    QVERIFY(!f.action("toolprint")->isEnabled());
    QVERIFY(!f.action("menuprintreminders")->isVisible());
}

void TestViews::upcomingViewSelectsFirstOccurrence() {
    WindowFixture f; // Sunday 6 December 2026
    f.writeReminders({recordBytes("Bins out", 'X', 'W', "11/30/2026"),
                      recordBytes("Pay rent", 'X', 'M', "01/07/2020"),
                      recordBytes("Today only", 'X', 'O', "12/06/2026")});
    f.start();
    const QStringList lines = f.lines("reminderlist");
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].startsWith("12/06/26   Sun\tOnce   \tToday only"));
    QVERIFY(lines[1].startsWith("12/07/26   Mon\tWeekly \tBins out"));
    QVERIFY(lines[2].startsWith("12/07/26   Mon\tMonthly\tPay rent"));
    QCOMPARE(f.window->currentRecord(), 3);
    QVERIFY(f.find<QListView>("reminderlist")->isVisible());
    QVERIFY(f.action("tooledit")->isEnabled());
    // The upcoming view leaves the caption alone.
    QCOMPARE(f.window->windowTitle(), QString("Nudgewell"));
}

void TestViews::selectionFindsTheRecordOfTheLine_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("three-letter weekdays") << QLocale(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("longer weekdays") << QLocale(QLocale::French, QLocale::France);
}

void TestViews::selectionFindsTheRecordOfTheLine() {
    QFETCH(QLocale, locale);
    // Days above 12 read the same under either regional order.
    WindowFixture f(QDate(2026, 12, 20), locale);
    f.writeReminders({recordBytes("Call Mum", 'X', 'Y', "12/21/1980"),
                      recordBytes("Other", 'X', 'Y', "03/03/1980"),
                      recordBytes("Call Mum", 'A', 'W', "12/14/2026")});
    f.start();
    auto* list = f.find<QListView>("reminderlist");
    QCOMPARE(list->model()->rowCount(), 2);
    list->setCurrentIndex(list->model()->index(1, 0));
    QCOMPARE(f.window->currentRecord(), 3);
    QCOMPARE(f.window->mirrorShowYears(), QString("A"));
    list->setCurrentIndex(list->model()->index(0, 0));
    QCOMPARE(f.window->currentRecord(), 1);

    // A double-click edits the record of the line clicked.
    const QRect second = list->visualRect(list->model()->index(1, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second.center());
    QVERIFY(f.window->isEditing());
    QCOMPARE(f.find<QComboBox>("typelist")->currentText(), QString("Weekly"));
    f.window->menucancel_Click();

    f.window->menushowall_Click();
    auto* all = f.find<QListView>("reminderlist2");
    for (int row = 0; row < all->model()->rowCount(); ++row) {
        all->setCurrentIndex(all->model()->index(row, 0));
        const QString line = all->model()->index(row, 0).data().toString();
        QCOMPARE(f.window->mirrorFrequency(), QString(line.contains("Weekly") ? "W" : "Y"));
    }
}

void TestViews::oddDaysCheckedUsesSix_data() {
    QTest::addColumn<QString>("days");
    QTest::addColumn<int>("expectedLines");
    QTest::newRow("six") << "6" << 1;
    QTest::newRow("fourteen") << "14" << 2;
    QTest::newRow("text") << "lots" << 1;
    QTest::newRow("huge") << "2147483647" << 1;
    QTest::newRow("negative") << "-3" << 1;
}

void TestViews::oddDaysCheckedUsesSix() {
    QFETCH(QString, days);
    WindowFixture f;
    f.settings.save("Days Checked", days);
    f.writeReminders({recordBytes("Swim", 'X', 'W', "12/07/2026")});
    f.start();
    QTEST(int(f.lines("reminderlist").size()), "expectedLines");
}

void TestViews::unreadableDateStaysListed() {
    WindowFixture f;
    f.writeReminders({recordBytes("Broken", 'A', 'W', "31/31/2001"),
                      recordBytes("Fine", 'X', 'W', "12/07/2026")});
    f.start();
    QCOMPARE(f.lines("reminderlist").size(), 1);
    f.window->menushowall_Click();
    const QStringList lines = f.lines("reminderlist2");
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines.contains("31/31/2001      \tWeekly \tBroken" + QString(49, ' ')));
}

void TestViews::activationRebuildsTheAllView() {
    WindowFixture f;
    f.start();
    f.window->menushowall_Click();
    QCOMPARE(f.lines("reminderlist2").size(), 1);
    // Another copy of the program's data arriving on disk is picked up on activation.
    QByteArray bytes = f.reminderBytes();
    writeFile(f.path("reminder.dat"), bytes.replace("Christmas Day", "Boxing Day!!!"));
    f.window->handleActivation();
    QVERIFY(f.lines("reminderlist2").value(0).contains("Boxing Day!!!"));
    QCOMPARE(f.window->windowTitle(), QString("Nudgewell -  1 saved"));
}

QTEST_MAIN(TestViews)
#include "test_views.moc"
