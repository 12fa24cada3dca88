// SPDX-License-Identifier: GPL-3.0-or-later
// The calendar window: copying, activation, changing the computer's date, commands by key,
// and where it opens.
#include "calendar/calendar_form.h"
#include "key_script.h"

#include <QCalendarWidget>
#include <QDialog>
#include <QLabel>
#include <QTableView>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

const QDate kToday(2002, 3, 20);

// Today pinned to a Wednesday in 2002; the calendar open and active.
struct CalendarFixture : WindowFixture {
    CalendarFixture() : WindowFixture(kToday) {
        start();
        window->menuCalendar_Click();
        form = window->findChild<CalendarForm*>();
        active = form && activeSoon(form);
    }
    QCalendarWidget* calendar() const { return form->findChild<QCalendarWidget*>("Calendar1"); }
    // Clicks a day from the 15th on of the shown month, as a user would.
    void clickDay(int day) const {
        auto* view = calendar()->findChild<QTableView*>("qt_calendar_calendarview");
        for (int cell = 7 * 3; cell < 7 * 7; ++cell) {
            const QModelIndex index = view->model()->index(cell / 7, cell % 7);
            if (index.data().toInt() == day)
                return QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                                         view->visualRect(index).center());
        }
    }

    QPointer<CalendarForm> form;
    bool active = false;
};

} // namespace

class TestCalendar : public QObject {
    Q_OBJECT

private slots:
    void opensOnceAtItsCorner() {
        CalendarFixture f;
        QVERIFY(f.active);
        // At its corner of the 800 x 800 offscreen screen; the toolbar button of the main
        // window brings the one calendar back rather than open another.
        QCOMPARE(f.form->pos(), QPoint(531, 436));
        f.action("toolcalendar")->trigger();
        QCOMPARE(f.window->findChildren<CalendarForm*>().size(), 1);
        QVERIFY(activeSoon(f.form));
        // A grown window keeps its corner; one larger than the screen goes to the top left.
        QCOMPARE(calendarPosition({15360, 11520}, {4500, 5000}), QPointF(9905, 5375));
        QCOMPARE(calendarPosition({3000, 4000}, {3075, 4320}), QPointF(0, 0));
    }

    // Each row types its keys into the open calendar: "pick:N" picks the Nth of March,
    // "click:N" clicks it, "tool:" clicks a toolbar button, "away:" goes to the main window or
    // a box of the calendar's own and back, "no" answers the next question No and "refuse"
    // has the computer refuse its date.
    void commands_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("picked"); // the day after, 0 once closed
        QTest::addColumn<QList<int>>("help");
        QTest::addColumn<QString>("said");
        QTest::addColumn<QString>("copied");
        QTest::addColumn<int>("set"); // requests to set the computer's date
        const auto row = [](const char* name, const char* keys, int picked,
                            const QList<int>& help = {}, const QString& said = {},
                            const char* copied = "", int set = 0) {
            QTest::newRow(name) << QString(keys) << picked << help << said << QString(copied)
                                << set;
        };
        // The copy rules are the core's; each way of asking copies the picked or clicked day.
        row("copy by menu", "pick:17,Alt+F,Y", 17, {}, {}, "3/17/02");
        row("copy by cm1", "pick:17,tool:cm1", 17, {}, {}, "3/17/02");
        row("copy a clicked day", "click:17", 17, {}, {}, "3/17/02");
        const QString ask = "Change Computer Date: Do you want to change the date of the "
                            "computer to \rMonday, March 4, 2002?";
        row("change date, No", "pick:4,no,Ctrl+D", 4, {}, ask);
        // The fake clock stays put, so the new today is still the 20th.
        row("change date, Yes", "pick:4,Ctrl+D", 20, {}, ask, "", 1);
        row("change date, refused", "pick:4,refuse,Ctrl+D", 4, {},
            ask + "|Nudgewell: The computer's date was not changed.\nNot now.", "", 1);
        row("Ctrl+T", "pick:1,Ctrl+T", 20);
        // F1 in an open menu gives the keyboard back to the window, not to the menu bar.
        row("F1 on the calendar", "pick:1,F1", 1, {209});
        row("Help on Calendar", "pick:1,Alt+H,C", 1, {209});
        row("Help Topics", "pick:1,Alt+H,H", 1, {0});
        row("F1 on Copy", "pick:1,Alt+F,F1", 1, {211});
        row("cm3", "pick:1,tool:cm3", 1, {209});
        // Activation shows today, but not back from the calendar's own question and error boxes.
        row("back from the main window", "pick:1,away:main", 20);
        row("back from a box of its own", "pick:1,away:box", 1);
        row("F12", "F12", 0);
        row("cm4", "tool:cm4", 0);
    }
    void commands() {
        QFETCH(QString, keys);
        QFETCH(int, picked);
        QFETCH(int, set);
        CalendarFixture f;
        QVERIFY(f.active);
        // No part in a date handed over as a number; the copy in the short form.
        f.store("Calendar Format=dd/mm;Copy Date=yes;Short Date=yes");
        runScript(keys, f.form,
                  {{"pick",
                    [&](const QString& day) {
                        f.calendar()->setSelectedDate(QDate(2002, 3, day.toInt()));
                    }},
                   {"click", [&](const QString& day) { f.clickDay(day.toInt()); }},
                   {"tool",
                    [&](const QString& key) {
                        QTest::mouseClick(f.form->findChild<QToolBar*>()->widgetForAction(
                                              f.form->findChild<QAction*>(key)),
                                          Qt::LeftButton);
                    }},
                   {"away",
                    [&](const QString& to) { // a window of ours, then back
                        QDialog box(f.form);
                        box.setModal(true);
                        QWidget* other =
                            to == "main" ? static_cast<QWidget*>(f.window.get()) : &box;
                        other->show();
                        QVERIFY(activeSoon(other));
                        if (other != f.window.get())
                            other->hide();
                        QVERIFY(activeSoon(f.form));
                    }},
                   {"no", [&](const QString&) { f.messages.answers = {false}; }},
                   {"refuse", [&](const QString&) { f.systemDate.refusal = "Not now."; }}});
        QVERIFY(!QApplication::activePopupWidget());
        QTEST(f.help.requests, "help");
        QTEST(f.messages.shown.join('|'), "said");
        QTEST(f.clipboard.text(), "copied");
        const QDateTime moment(QDate(2002, 3, 4), QTime(10, 30, 15));
        QCOMPARE(f.systemDate.requests, QList<QDateTime>(set, moment));
        QTRY_COMPARE(f.form.isNull(), picked == 0);
        if (picked) {
            QTRY_COMPARE(f.calendar()->selectedDate(), QDate(2002, 3, picked));
            QCOMPARE(f.form->findChild<QLabel*>("lbldatedisplay2")->text(),
                     QString("Wednesday, March 20, 2002"));
            QVERIFY(f.calendar()->hasFocus());
        }
    }
};

QTEST_MAIN(TestCalendar)
#include "test_calendar.moc"
