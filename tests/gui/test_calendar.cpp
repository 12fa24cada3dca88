// SPDX-License-Identifier: GPL-3.0-or-later
// The calendar window: copying, activation, changing the computer's date, commands by key,
// and where it opens.
#include "calendar/calendar_form.h"
#include "gui_fixture.h"

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
    // Keys as a user types them: into an open menu, else where the calendar's focus is.
    void keys(const QString& sequence) const {
        for (const QString& one : sequence.split(',')) {
            const QKeyCombination key = QKeySequence(one)[0];
            QWidget* target = QApplication::activePopupWidget();
            if (!target && activeSoon(form))
                target = QApplication::focusWidget();
            QTest::keyClick(target, key.key(), key.keyboardModifiers());
            if (one.startsWith("Alt+") &&
                !QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }))
                qWarning("no menu opened");
        }
    }
    void clickTool(const QString& key) const {
        QTest::mouseClick(
            form->findChild<QToolBar*>()->widgetForAction(form->findChild<QAction*>(key)),
            Qt::LeftButton);
    }
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
    // "click:N" clicks it, "tool:" clicks a toolbar button, "key:" dispatches a button key,
    // "no" answers the next question No and "refuse" has the computer refuse its date.
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
        row("copy by Ctrl+Y", "pick:17,Ctrl+Y", 17, {}, {}, "3/17/02");
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
        row("F1 on Help Topics", "pick:1,Alt+H,F1", 1, {200});
        row("F1 on Go to Today", "pick:1,Alt+F,Down,Down,F1", 1, {210});
        row("cm3", "pick:1,tool:cm3", 1, {209});
        row("key in capitals", "pick:1,key:CM3", 1);
        // Activation shows today, but not back from the calendar's own question and error boxes.
        row("back from the main window", "pick:1,away:main", 20);
        row("back from About", "pick:1,away:about", 20);
        row("back from a box of its own", "pick:1,away:box", 1);
        row("F12", "F12", 0);
        row("Close by mnemonic", "Alt+F,S", 0);
        row("cm4", "tool:cm4", 0);
    }
    void commands() {
        QFETCH(QString, keys);
        QFETCH(int, picked);
        QFETCH(QList<int>, help);
        QFETCH(QString, said);
        QFETCH(QString, copied);
        QFETCH(int, set);
        CalendarFixture f;
        QVERIFY(f.active);
        // No part in a date handed over as a number; the copy in the short form.
        f.store("Calendar Format=dd/mm;Copy Date=yes;Short Date=yes");
        for (const QString& key : keys.split(',')) {
            const QString arg = key.section(':', 1);
            if (key.startsWith("pick:"))
                f.calendar()->setSelectedDate(QDate(2002, 3, arg.toInt()));
            else if (key.startsWith("click:"))
                f.clickDay(arg.toInt());
            else if (key.startsWith("tool:"))
                f.clickTool(arg);
            else if (key.startsWith("key:"))
                f.form->Toolbar1_ButtonClick(arg);
            else if (key.startsWith("away:")) {
                QDialog box(f.form);
                box.setModal(true);
                if (arg == "about")
                    f.window->menuhelpabout_Click();
                QWidget* other = arg == "main"    ? f.window.get()
                                 : arg == "about" ? f.window->findChild<QWidget*>("AboutForm")
                                                  : &box;
                other->show();
                QVERIFY(activeSoon(other));
                if (other != f.window.get())
                    other->hide();
                QVERIFY(activeSoon(f.form));
            } else if (key == "no")
                f.messages.answers = {false};
            else if (key == "refuse")
                f.systemDate.refusal = "Not now.";
            else
                f.keys(key);
        }
        QVERIFY(!QApplication::activePopupWidget());
        QCOMPARE(f.help.requests, help);
        QCOMPARE(f.messages.shown.join('|'), said);
        QCOMPARE(f.clipboard.text(), copied);
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
