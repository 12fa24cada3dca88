// SPDX-License-Identifier: GPL-3.0-or-later
// The calendar window: copying, going to today, activation, changing the computer's date,
// its commands by key and where it opens.
#include "calendar/calendar_form.h"
#include "gui_fixture.h"

#include <QCalendarWidget>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QToolBar>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

const QDate kToday(2002, 3, 20);

// The window itself, not only its transient parent or child, has the focus.
bool activeSoon(QWidget* window) {
    window->activateWindow();
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

// The main window with today pinned to a Wednesday in 2002, and its calendar open and active.
struct CalendarFixture : WindowFixture {
    CalendarFixture() : WindowFixture(kToday) {
        start();
        window->menuCalendar_Click();
        form = window->findChild<CalendarForm*>();
        active = form && activeSoon(form);
    }
    QCalendarWidget* calendar() const { return form->findChild<QCalendarWidget*>("Calendar1"); }
    // A key pressed in the calendar window where its focus is.
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
        if (!activeSoon(form))
            qWarning("the calendar window did not become active");
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : form.data(), Qt::Key(key), modifiers);
    }
    void clickTool(const QString& key) const {
        auto* bar = form->findChild<QToolBar*>("Toolbar1");
        QTest::mouseClick(bar->widgetForAction(form->findChild<QAction*>(key)), Qt::LeftButton);
    }
    // Clicks the day of the shown month as a user would.
    bool clickDay(int day) const {
        auto* view = calendar()->findChild<QTableView*>("qt_calendar_calendarview");
        for (int row = 1; row < view->model()->rowCount(); ++row) {
            for (int column = 0; column < view->model()->columnCount(); ++column) {
                const QModelIndex index = view->model()->index(row, column);
                if (index.data().toInt() == day && (day < 15 ? row < 3 : row > 2)) {
                    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                                      view->visualRect(index).center());
                    return true;
                }
            }
        }
        return false;
    }
    bool focusOnCalendar() const { return calendar()->hasFocus(); }

    QPointer<CalendarForm> form;
    bool active = false;
};

} // namespace

class TestCalendar : public QObject {
    Q_OBJECT

private slots:
    void copyRules_data();
    void copyRules();
    void activationShowsToday_data();
    void activationShowsToday();
    void changeDate_data();
    void changeDate();
    void commandsByKey_data();
    void commandsByKey();
    void placement_data();
    void placement();
    void opensOnceWhereItBelongs();
};

void TestCalendar::copyRules_data() {
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("route");
    QTest::addColumn<QString>("copied");
    const QList<QPair<const char*, QPair<QString, QString>>> rules = {
        {"no settings", {"", ""}},
        {"copy alone", {"Copy Date=yes", "Sunday, March 17, 2002"}},
        {"short whatever long says", {"Copy Date=yes;Short Date=yes;Long Date=no", "3/17/02"}},
        {"medium", {"Copy Date=yes;Medium Date=yes", "Mar 17, 2002"}},
        {"long=no alone", {"Copy Date=yes;Long Date=no", ""}},
        {"capital Yes", {"Copy Date=Yes", ""}},
    };
    for (const auto& [name, rule] : rules) {
        for (const char* route : {"menu", "Ctrl+Y", "cm1", "click"})
            QTest::addRow("%s, %s", name, route) << rule.first << route << rule.second;
    }
}

void TestCalendar::copyRules() {
    QFETCH(QString, settings);
    QFETCH(QString, route);
    QFETCH(QString, copied);
    CalendarFixture f;
    QVERIFY(f.active);
    for (const QString& pair : settings.split(';', Qt::SkipEmptyParts))
        f.settings.save(pair.section('=', 0, 0), pair.section('=', 1));
    f.clipboard.setText("before");
    if (route == "click") {
        QVERIFY(f.clickDay(17));
    } else {
        f.calendar()->setSelectedDate(QDate(2002, 3, 17));
        if (route == "menu") {
            f.key(Qt::Key_F, Qt::AltModifier);
            auto* file = f.form->findChild<QMenu*>("menufile");
            QVERIFY(QTest::qWaitForWindowExposed(file));
            QTest::keyClick(file, Qt::Key_Y);
        } else if (route == "Ctrl+Y") {
            f.key(Qt::Key_Y, Qt::ControlModifier);
        } else {
            f.clickTool("cm1");
        }
    }
    QCOMPARE(f.calendar()->selectedDate(), QDate(2002, 3, 17));
    QCOMPARE(f.clipboard.text(), copied.isEmpty() ? QString("before") : copied);
    QVERIFY(f.focusOnCalendar());
}

void TestCalendar::activationShowsToday_data() {
    QTest::addColumn<QString>("away");
    QTest::addColumn<QDate>("picked");
    QTest::newRow("main window") << "main" << kToday;
    QTest::newRow("About window") << "about" << kToday;
    // The calendar's own question and error boxes must not move the picked date.
    QTest::newRow("a box of the calendar") << "box" << QDate(2002, 3, 1);
}

void TestCalendar::activationShowsToday() {
    QFETCH(QString, away);
    QFETCH(QDate, picked);
    CalendarFixture f;
    QVERIFY(f.active);
    f.key(Qt::Key_Home); // the first of the month
    QCOMPARE(f.calendar()->selectedDate(), QDate(2002, 3, 1));
    if (away == "main") {
        QVERIFY(activeSoon(f.window.get()));
    } else if (away == "about") {
        f.window->menuhelpabout_Click();
        auto* about = f.window->findChild<QWidget*>("AboutForm");
        QVERIFY(activeSoon(about));
        about->hide();
    } else {
        QDialog box(f.form);
        box.setModal(true);
        box.show();
        QVERIFY(activeSoon(&box));
        box.close();
    }
    QVERIFY(activeSoon(f.form));
    QTRY_COMPARE(f.calendar()->selectedDate(), picked);
    QCOMPARE(f.form->findChild<QLabel*>("lbldatedisplay2")->text(),
             QString("Wednesday, March 20, 2002"));
}

void TestCalendar::changeDate_data() {
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QList<QDateTime>>("requests");
    QTest::addColumn<QDate>("picked");
    QTest::addColumn<QString>("error");
    const QDateTime moment(QDate(2002, 3, 4), QTime(10, 30, 15));
    QTest::newRow("No") << false << "" << QList<QDateTime>() << QDate(2002, 3, 4) << "";
    // The clock here stays put, so the new today is still the 20th.
    QTest::newRow("Yes") << true << "" << QList<QDateTime>{moment} << kToday << "";
    QTest::newRow("Yes, refused")
        << true << "Turn off automatic time synchronisation first." << QList<QDateTime>{moment}
        << QDate(2002, 3, 4)
        << "Nudgewell: The computer's date was not changed.\nTurn off automatic time "
           "synchronisation first.";
}

void TestCalendar::changeDate() {
    QFETCH(bool, yes);
    QFETCH(QString, refusal);
    QFETCH(QList<QDateTime>, requests);
    QFETCH(QDate, picked);
    QFETCH(QString, error);
    CalendarFixture f;
    QVERIFY(f.active);
    f.settings.save("Calendar Format", "dd/mm");
    f.messages.answers = {yes};
    f.systemDate.refusal = refusal;
    f.calendar()->setSelectedDate(QDate(2002, 3, 4));
    f.key(Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(f.messages.shown.value(0),
             QString("Change Computer Date: Do you want to change the date of the computer to "
                     "\rMonday, March 4, 2002?"));
    QCOMPARE(f.messages.icons.value(0), MessageBoxes::Icon::Question);
    QCOMPARE(f.systemDate.requests, requests);
    QCOMPARE(f.calendar()->selectedDate(), picked);
    QCOMPARE(f.messages.shown.value(1), error);
    QVERIFY(f.focusOnCalendar());
}

void TestCalendar::commandsByKey_data() {
    QTest::addColumn<QString>("keys"); // one key sequence, or "tool:<key>" for a toolbar click
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

void TestCalendar::commandsByKey() {
    QFETCH(QString, keys);
    QFETCH(QList<int>, help);
    QFETCH(bool, closes);
    CalendarFixture f;
    QVERIFY(f.active);
    f.calendar()->setSelectedDate(QDate(2002, 3, 1));
    if (keys.startsWith("tool:")) {
        f.clickTool(keys.mid(5));
    } else if (keys.startsWith("key:")) {
        f.form->Toolbar1_ButtonClick(keys.mid(4));
    } else {
        for (const QString& one : keys.split(',')) {
            const QKeyCombination combination = QKeySequence(one)[0];
            // An open menu takes the keys that follow.
            QWidget* menu = QApplication::activePopupWidget();
            if (menu)
                QTest::keyClick(menu, combination.key(), combination.keyboardModifiers());
            else
                f.key(combination.key(), combination.keyboardModifiers());
            if (one.startsWith("Alt+"))
                QTRY_VERIFY(QApplication::activePopupWidget());
        }
    }
    QVERIFY(!QApplication::activePopupWidget());
    QCOMPARE(f.help.requests, help);
    if (closes) {
        QTRY_VERIFY(f.form.isNull());
        return;
    }
    // F1 in an open menu leaves the menu bar highlighted, as Esc would; one more Esc gives the
    // calendar its focus back.
    if (keys.startsWith("Alt+") && keys.endsWith("F1")) {
        QVERIFY(qobject_cast<QMenuBar*>(QApplication::focusWidget()));
        f.key(Qt::Key_Escape);
    }
    QCOMPARE(f.calendar()->selectedDate(), keys == "Ctrl+T" ? kToday : QDate(2002, 3, 1));
    QVERIFY(f.focusOnCalendar());
}

void TestCalendar::placement_data() {
    QTest::addColumn<QSizeF>("screen");
    QTest::addColumn<QSizeF>("window");
    QTest::addColumn<QPointF>("at");
    QTest::newRow("15360 x 11520")
        << QSizeF(15360, 11520) << QSizeF(3075, 4320) << QPointF(11330, 6055);
    QTest::newRow("grown window stays on screen")
        << QSizeF(15360, 11520) << QSizeF(4500, 5000) << QPointF(9905, 5375);
    QTest::newRow("screen too small") << QSizeF(3000, 4000) << QSizeF(3075, 4320) << QPointF(0, 0);
}

void TestCalendar::placement() {
    QFETCH(QSizeF, screen);
    QFETCH(QSizeF, window);
    QFETCH(QPointF, at);
    QCOMPARE(calendarPosition(screen, window), at);
}

void TestCalendar::opensOnceWhereItBelongs() {
    CalendarFixture f;
    QVERIFY(f.active);
    // The offscreen screen is 800 x 800 pixels at 96 dpi: 12000 twips square.
    QCOMPARE(f.form->screen()->geometry(), QRect(0, 0, 800, 800));
    QCOMPARE(f.form->pos(), QPoint(531, 436));
    QCOMPARE(f.form->size(), QSize(205, 288));
    QVERIFY(f.focusOnCalendar());
    f.calendar()->setSelectedDate(QDate(2002, 3, 1));
    f.action("toolcalendar")->trigger();
    QCOMPARE(f.window->findChildren<CalendarForm*>().size(), 1);
    QVERIFY(activeSoon(f.form));
    QCOMPARE(f.form->findChild<QLabel*>("lbldatedisplay1")->text(), QString("3/20/02"));
    QVERIFY(f.form->findChild<QLabel*>("lbldatedisplay1")->isHidden());
}

QTEST_MAIN(TestCalendar)
#include "test_calendar.moc"
