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
    }

    // The rules are the core's; each way of asking copies the clicked or picked day.
    void copyRoutes_data() {
        QTest::addColumn<QString>("route");
        for (const char* route : {"menu", "Ctrl+Y", "cm1", "click"})
            QTest::newRow(route) << route;
    }
    void copyRoutes() {
        QFETCH(QString, route);
        CalendarFixture f;
        QVERIFY(f.active);
        f.store("Copy Date=yes;Short Date=yes");
        if (route == "click")
            f.clickDay(17);
        else
            f.calendar()->setSelectedDate(QDate(2002, 3, 17));
        if (route == "menu")
            f.keys("Alt+F,Y");
        else if (route == "Ctrl+Y")
            f.keys("Ctrl+Y");
        else if (route == "cm1")
            f.clickTool("cm1");
        QCOMPARE(f.calendar()->selectedDate(), QDate(2002, 3, 17));
        QCOMPARE(f.clipboard.text(), QString("3/17/02"));
        QVERIFY(f.calendar()->hasFocus());
    }

    void activationShowsToday_data() {
        QTest::addColumn<QString>("away");
        QTest::addColumn<QDate>("picked");
        QTest::newRow("main window") << "main" << kToday;
        QTest::newRow("About window") << "about" << kToday;
        // The calendar's own question and error boxes must not move the picked date.
        QTest::newRow("a box of the calendar") << "box" << QDate(2002, 3, 1);
    }
    void activationShowsToday() {
        QFETCH(QString, away);
        QFETCH(QDate, picked);
        CalendarFixture f;
        QVERIFY(f.active);
        f.keys("Home"); // the first of the month
        QCOMPARE(f.calendar()->selectedDate(), QDate(2002, 3, 1));
        QDialog box(f.form);
        box.setModal(true);
        if (away == "about")
            f.window->menuhelpabout_Click();
        QWidget* other = away == "main"    ? f.window.get()
                         : away == "about" ? f.window->findChild<QWidget*>("AboutForm")
                                           : &box;
        other->show();
        QVERIFY(activeSoon(other));
        if (other != f.window.get())
            other->hide();
        QVERIFY(activeSoon(f.form));
        QTRY_COMPARE(f.calendar()->selectedDate(), picked);
        QCOMPARE(f.form->findChild<QLabel*>("lbldatedisplay2")->text(),
                 QString("Wednesday, March 20, 2002"));
    }

    void changeDate_data() {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QDate>("picked");
        QTest::addColumn<QString>("error");
        QTest::newRow("No") << false << "" << QDate(2002, 3, 4) << "";
        // The fake clock stays put, so the new today is still the 20th.
        QTest::newRow("Yes") << true << "" << kToday << "";
        QTest::newRow("Yes, refused")
            << true << "Not now." << QDate(2002, 3, 4)
            << "Nudgewell: The computer's date was not changed.\nNot now.";
    }
    void changeDate() {
        QFETCH(bool, yes);
        QFETCH(QString, refusal);
        QFETCH(QDate, picked);
        QFETCH(QString, error);
        CalendarFixture f;
        QVERIFY(f.active);
        f.settings.save("Calendar Format", "dd/mm"); // no part in a date handed over as a number
        f.messages.answers = {yes};
        f.systemDate.refusal = refusal;
        f.calendar()->setSelectedDate(QDate(2002, 3, 4));
        f.keys("Ctrl+D");
        QCOMPARE(f.messages.shown.value(0),
                 QString("Change Computer Date: Do you want to change the date of the computer to "
                         "\rMonday, March 4, 2002?"));
        const QDateTime moment(QDate(2002, 3, 4), QTime(10, 30, 15));
        QCOMPARE(f.systemDate.requests, yes ? QList<QDateTime>{moment} : QList<QDateTime>());
        QCOMPARE(f.calendar()->selectedDate(), picked);
        QCOMPARE(f.messages.shown.value(1), error);
        QVERIFY(f.calendar()->hasFocus());
    }

    void commandsByKey_data() {
        QTest::addColumn<QString>("keys"); // keys, "tool:" a toolbar click, "key:" a dispatch
        QTest::addColumn<QList<int>>("help");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Ctrl+T") << "Ctrl+T" << QList<int>() << false;
        QTest::newRow("F1 on the calendar") << "F1" << QList<int>{209} << false;
        QTest::newRow("Help on Calendar") << "Alt+H,C" << QList<int>{209} << false;
        QTest::newRow("Help Topics") << "Alt+H,H" << QList<int>{0} << false;
        QTest::newRow("F1 on Copy") << "Alt+F,F1" << QList<int>{211} << false;
        QTest::newRow("F1 on Help Topics") << "Alt+H,F1" << QList<int>{200} << false;
        QTest::newRow("F1 on Go to Today") << "Alt+F,Down,Down,F1" << QList<int>{210} << false;
        QTest::newRow("F12") << "F12" << QList<int>() << true;
        QTest::newRow("Close by mnemonic") << "Alt+F,S" << QList<int>() << true;
        QTest::newRow("cm3") << "tool:cm3" << QList<int>{209} << false;
        QTest::newRow("cm4") << "tool:cm4" << QList<int>() << true;
        QTest::newRow("key in capitals") << "key:CM3" << QList<int>() << false;
    }
    void commandsByKey() {
        QFETCH(QString, keys);
        QFETCH(QList<int>, help);
        QFETCH(bool, closes);
        CalendarFixture f;
        QVERIFY(f.active);
        f.calendar()->setSelectedDate(QDate(2002, 3, 1));
        if (keys.startsWith("tool:"))
            f.clickTool(keys.mid(5));
        else if (keys.startsWith("key:"))
            f.form->Toolbar1_ButtonClick(keys.mid(4));
        else
            f.keys(keys);
        QVERIFY(!QApplication::activePopupWidget());
        QCOMPARE(f.help.requests, help);
        QTRY_COMPARE(f.form.isNull(), closes);
        if (closes)
            return;
        // F1 in an open menu gives the keyboard back to the window, not to the menu bar.
        QCOMPARE(f.calendar()->selectedDate(), keys == "Ctrl+T" ? kToday : QDate(2002, 3, 1));
        QVERIFY(f.calendar()->hasFocus());
    }

    void placement_data() {
        QTest::addColumn<QSizeF>("screen");
        QTest::addColumn<QSizeF>("window");
        QTest::addColumn<QPointF>("at");
        const QSizeF planned(3075, 4320);
        QTest::newRow("15360 x 11520") << QSizeF(15360, 11520) << planned << QPointF(11330, 6055);
        QTest::newRow("grown window")
            << QSizeF(15360, 11520) << QSizeF(4500, 5000) << QPointF(9905, 5375);
        QTest::newRow("screen too small") << QSizeF(3000, 4000) << planned << QPointF(0, 0);
    }
    void placement() {
        QFETCH(QSizeF, screen);
        QFETCH(QSizeF, window);
        QFETCH(QPointF, at);
        QCOMPARE(calendarPosition(screen, window), at);
    }
};

QTEST_MAIN(TestCalendar)
#include "test_calendar.moc"
