// SPDX-License-Identifier: GPL-3.0-or-later
// The upcoming and all-reminders lists as the window shows them.
#include "gui_fixture.h"

#include <QLabel>
#include <QLineEdit>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

// A list line: its head, the stored text in 55 columns, and what follows it.
QString line(const QString& head, const QString& text, const QString& tail = "") {
    return head + text.leftJustified(55) + tail;
}

} // namespace

class TestViews : public QObject {
    Q_OBJECT

private slots:
    void viewsShowTheirLines_data() {
        QTest::addColumn<QList<QByteArray>>("records");
        QTest::addColumn<bool>("all");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("caption");
        // Sunday 6 December 2037. An unreadable date is listed as stored but never occurs.
        const QByteArray broken = recordBytes("Broken", 'A', 'W', "31/31/2001");
        QTest::newRow("all, sorted by the whole line")
            << QList<QByteArray>{recordBytes("zebra crossing", 'X', 'W', "12/25/2001"),
                                 recordBytes("Anniversary", 'A', 'Y', "01/03/1990"),
                                 recordBytes("odd code", 'X', 'Q', "02/14/2003"), broken}
            << true
            << QStringList{line("01/03/90   Wed\tYearly \t", "Anniversary", " ... 47 years"),
                           line("02/14/03   Fri\tQ\t", "odd code"),
                           line("12/25/01   Tue\tWeekly \t", "zebra crossing"),
                           line("31/31/2001      \tWeekly \t", "Broken")}
            << 2 << "Nudgewell -  4 saved";
        QTest::newRow("upcoming, by day then file order")
            << QList<QByteArray>{recordBytes("Bins out", 'X', 'W', "11/30/2037"),
                                 recordBytes("Pay rent", 'X', 'M', "01/07/2020"),
                                 recordBytes("Today only", 'X', 'O', "12/06/2037"), broken}
            << false
            << QStringList{line("12/06/37   Sun\tOnce   \t", "Today only"),
                           line("12/07/37   Mon\tWeekly \t", "Bins out"),
                           line("12/07/37   Mon\tMonthly\t", "Pay rent")}
            << 3 << "Nudgewell";
        QTest::newRow("upcoming, empty")
            << QList<QByteArray>() << false << QStringList() << 0 << "Nudgewell";
        QTest::newRow("all, empty")
            << QList<QByteArray>() << true << QStringList() << 0 << "Nudgewell -  0 saved";
    }

    void viewsShowTheirLines() {
        QFETCH(QList<QByteArray>, records);
        QFETCH(bool, all);
        QFETCH(QStringList, lines);
        WindowFixture f;
        f.writeReminders(records);
        f.start();
        if (records.isEmpty()) // start-up seeds an empty file; empty it again
            f.window->DeleteSelected();
        if (all)
            f.window->menushowall_Click();
        QTEST(f.window->windowTitle(), "caption");
        auto* list = f.find<QListView>(all ? "reminderlist2" : "reminderlist");
        QCOMPARE(f.lines(list->objectName()), lines);
        QCOMPARE(list->isVisible(), !lines.isEmpty());
        QVERIFY(!f.find<QListView>(all ? "reminderlist" : "reminderlist2")->isVisible());
        QCOMPARE(f.shown({"tooledit", "tooldelete", "toolprint", "menuprintreminders"}),
                 lines.isEmpty() ? "tooledit- tooldelete- toolprint-"
                                 : "tooledit tooldelete toolprint menuprintreminders");
        if (!lines.isEmpty()) { // the first line is selected and its record is current
            QTEST(f.window->currentRecord(), "current");
            const QString text = f.find<QLineEdit>("txtreminder")->text();
            QVERIFY(!text.isEmpty() && lines[0].contains(text));
        }

        // Only the empty view shows its label.
        auto* label = f.find<QLabel>(all ? "LabelNoRemindersAll" : "LabelNoRemindersWeek");
        QCOMPARE(label->isVisible() ? label->text() : QString(),
                 !lines.isEmpty() ? ""
                 : all            ? "You have no reminders saved!"
                                  : "You have no upcoming reminders!");
        QVERIFY(!f.find<QLabel>(all ? "LabelNoRemindersWeek" : "LabelNoRemindersAll")->isVisible());
    }
};

QTEST_MAIN(TestViews)
#include "test_views.moc"
