// SPDX-License-Identifier: GPL-3.0-or-later
// What a user meets by keyboard and mouse: where the keys go, the first reminder in a
// day-first region, the text box and the calendar, and lines and labels that fit their text.
#include "gui_fixture.h"
#include "main/editor.h"
#include "main/views.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>

#include <tuple>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

// Three weekly reminders, all upcoming; each view sorts them in another order.
const QList<QByteArray> kThree = {recordBytes("Bins out", 'X', 'W', "12/07/2037"),
                                  recordBytes("Anna's lesson", 'X', 'W', "12/08/2037"),
                                  recordBytes("Choir", 'X', 'W', "12/09/2037")};

// A character typed where the focus is; QTest types ASCII only.
void typeCharacter(const QString& character) {
    QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, character,
                        Qt::NoModifier);
}

QString focusName() {
    const QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QString("none");
}

} // namespace

class TestAsAUser : public QObject {
    Q_OBJECT

private slots:
    void keysStayOnTheListOnShow_data() {
        QTest::addColumn<QString>("toAll"); // how the all view is asked for
        QTest::addColumn<QString>("toUpcoming");
        for (const auto& [name, toAll, toUpcoming] : {std::tuple{"F3 and F4", "F3", "F4"},
                                                      {"toolbar", "toolshowall", "toolshowweek"},
                                                      {"menu", "menushowall", "menushowweek"}})
            QTest::newRow(name) << QString(toAll) << QString(toUpcoming);
    }

    void keysStayOnTheListOnShow() {
        QFETCH(QString, toAll);
        QFETCH(QString, toUpcoming);
        WindowFixture f;
        f.writeReminders(kThree);
        f.start();
        QCOMPARE(focusName(), QString("reminderlist"));
        const auto show = [&](const QString& how) {
            if (how.startsWith('F'))
                f.press(how == "F3" ? Qt::Key_F3 : Qt::Key_F4);
            else
                f.action(how)->trigger();
        };
        show(toAll);
        QCOMPARE(focusName(), QString("reminderlist2"));
        // Down moves the highlight in the list on show, and that line's record is the one deleted.
        f.press(Qt::Key_Down);
        auto* all = f.find<QListView>("reminderlist2");
        QCOMPARE(all->currentIndex().row(), 1);
        const int highlighted = f.window->currentRecord();
        QVERIFY(all->currentIndex().data().toString().startsWith("12/08/37"));
        QCOMPARE(highlighted, 2);
        // The hidden list may move its own row: it never moves the current record.
        auto* upcoming = f.find<QListView>("reminderlist");
        upcoming->setCurrentIndex(upcoming->model()->index(2, 0));
        QCOMPARE(f.window->currentRecord(), highlighted);
        QCOMPARE(f.press(Qt::Key_F9), kThree[0] + kThree[2]);
        QCOMPARE(focusName(), QString("reminderlist2"));

        show(toUpcoming);
        QCOMPARE(focusName(), QString("reminderlist"));
        f.press(Qt::Key_Down);
        QCOMPARE(f.window->currentRecord(), 2); // Choir, the second upcoming line
        f.press(Qt::Key_F7);
        QCOMPARE(f.find<QLineEdit>("txtreminder")->text(), QString("Choir"));
        f.press(Qt::Key_F8);
        QCOMPARE(focusName(), QString("reminderlist"));
    }

    void firstReminderInADayFirstRegion_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QByteArray>("stored");
        for (const auto& [name, format, stored] : {std::tuple{"de_DE", "dd/mm", "07/12/2037"},
                                                   {"en_GB", "dd/mm", "07/12/2037"},
                                                   {"en_US", "mm/dd", "12/07/2037"}})
            QTest::newRow(name) << QLocale(name) << QString(format) << QByteArray(stored);
    }

    void firstReminderInADayFirstRegion() {
        QFETCH(QLocale, locale);
        QFETCH(QString, format);
        QFETCH(QByteArray, stored);
        WindowFixture f(QDate(2037, 12, 6), locale);
        f.start();
        QCOMPARE(f.settings.get("Calendar Format"), format);
        const QByteArray christmas = f.reminderBytes();
        f.press(Qt::Key_F5);
        f.type("Dentist");
        // Into the calendar, one day on: 7 December.
        auto* calendar = f.find<QCalendarWidget>("Calendar2");
        calendar->findChild<QAbstractItemView*>()->setFocus();
        f.press(Qt::Key_Right);
        QCOMPARE(calendar->selectedDate(), QDate(2037, 12, 7));
        QCOMPARE(f.press(Qt::Key_F6), christmas + recordBytes("Dentist", 'X', 'O', stored));
        QVERIFY(f.lines("reminderlist").join('|').contains("Dentist"));
        // A stored setting is never changed.
        f.settings.save("Calendar Format", "DD/MM");
        f.start();
        QCOMPARE(f.settings.get("Calendar Format"), QString("DD/MM"));
    }

    void calendarTakesNoTypedDateButMovesByYear() {
        WindowFixture f;
        f.writeReminders({kThree[0]});
        f.start();
        f.press(Qt::Key_F7);
        auto* calendar = f.find<QCalendarWidget>("Calendar2");
        calendar->findChild<QAbstractItemView*>()->setFocus();
        f.type("03/14/1955");
        f.press(Qt::Key_Return);
        QCOMPARE(calendar->selectedDate(), QDate(2037, 12, 7));
        for (int i = 0; i < 3; ++i)
            f.press(Qt::Key_PageUp, Qt::ControlModifier);
        f.press(Qt::Key_PageDown, Qt::ControlModifier);
        f.press(Qt::Key_PageUp); // a month back, as before
        QCOMPARE(calendar->selectedDate(), QDate(2035, 11, 7));
        QVERIFY(f.window->isEditing());
        QCOMPARE(f.press(Qt::Key_F6), recordBytes("Bins out", 'X', 'W', "11/07/2035"));
    }

    void textBoxKeepsWhatCanBeStored() {
        WindowFixture f;
        f.writeReminders({recordBytes("Swim", 'X', 'W', "12/07/2037")});
        f.start();
        f.press(Qt::Key_F7);
        auto* box = f.find<ReminderTextBox>("txtreminder");
        // A click into the box selects like any other way in.
        f.press(Qt::Key_Tab);
        QVERIFY(!box->hasFocus());
        QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
        QVERIFY(box->hasFocus());
        QCOMPARE(box->selectedText(), QString("Swim"));

        QSignalSpy leftOut(box, &ReminderTextBox::charactersLeftOut);
        box->insert("Tea\tat\nfive\r\n€ őkay 😀!"); // what a paste does
        QCOMPARE(box->text(), QString("Tea at five  € kay !"));
        QTRY_COMPARE(leftOut.size(), 1);
        typeCharacter("ő");
        QCOMPARE(box->text(), QString("Tea at five  € kay !"));
        QTRY_COMPARE(leftOut.size(), 2);
        typeCharacter("é");
        QCOMPARE(leftOut.size(), 2);
        QCOMPARE(f.press(Qt::Key_F6), recordBytes("Tea at five  € kay !é", 'X', 'W', "12/07/2037"));
    }

    void tooSmallWindowIsResized_data() {
        QTest::addColumn<bool>("minimised"); // started minimised at a stored size too small
        QTest::newRow("made too small by the user") << false;
        QTest::newRow("restored from minimised") << true;
    }

    void tooSmallWindowIsResized() {
        QFETCH(bool, minimised);
        WindowFixture f;
        if (minimised)
            f.store("Minimize=1;Height=1000;Width=9000");
        MainWindow& w = f.start();
        QVERIFY(f.messages.shown.isEmpty());
        if (minimised)
            w.showNormal();
        else
            w.resize(f.pixels(8900, 1800));
        QTRY_COMPARE(f.messages.shown,
                     QStringList("Nudgewell: Error Handler 20. You cannot resize this program so "
                                 "small. Nudgewell will now resize itself to a proper size!"));
        QCOMPARE(f.messages.icons.last(), MessageBoxes::Icon::None);
        QTRY_COMPARE(f.twips(), QSizeF(8940, 5655));
        const QSize fitted = f.pixels(8940 - 365, 5655 - 1920);
        QCOMPARE(f.find<QListView>("reminderlist")->size(), fitted);
        QCOMPARE(f.find<QListView>("reminderlist2")->size(), fitted);
        if (minimised)
            return;
        // A maximised window leaves the lists as they were.
        const QSize normal = w.size();
        w.showMaximized();
        QTRY_VERIFY(w.isMaximized() && w.size() != normal);
        QCOMPARE(f.find<QListView>("reminderlist")->size(), fitted);
        QCOMPARE(int(f.messages.shown.size()), 1);
    }

    void altRAnswersEveryPress() {
        WindowFixture f;
        f.start();
        for (int press = 0; press < 3; ++press) {
            f.press(Qt::Key_R, Qt::AltModifier);
            QTRY_VERIFY(QApplication::activePopupWidget());
            QCOMPARE(QApplication::activePopupWidget()->objectName(), QString("menureminder1"));
            QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
            QTest::keyClick(f.window->menuBar(), Qt::Key_Escape);
            QTRY_VERIFY(!QApplication::activePopupWidget());
        }
    }

    void linesAndLabelsFitTheirText_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("de_DE: Fr. and Mi.") << QLocale(QLocale::German, QLocale::Germany);
        QTest::newRow("fr_FR: dim. and mer.") << QLocale(QLocale::French, QLocale::France);
    }

    void linesAndLabelsFitTheirText() {
        QFETCH(QLocale, locale);
        WindowFixture f(QDate(2037, 12, 6), locale);
        const QString wide(55, 'W');
        f.writeReminders({recordBytes(wide, 'A', 'W', "12/07/1937"),
                          recordBytes("iiii", 'X', 'M', "12/11/2030")});
        f.start();
        f.press(Qt::Key_F3);
        auto* list = f.find<QListView>("reminderlist2");
        const QFontMetricsF metrics(list->font());
        const QList<qreal> stops = ReminderLineDelegate::tabStops(metrics, locale);
        // Every date and weekday ends before the frequency column, every word before the text.
        for (const QString& line : f.lines("reminderlist2")) {
            const QStringList parts = line.split('\t');
            QCOMPARE(parts.size(), 3);
            QVERIFY2(metrics.horizontalAdvance(parts[0]) < stops[0], qPrintable(line));
            QVERIFY2(metrics.horizontalAdvance(parts[1]) < stops[1] - stops[0], qPrintable(line));
            // The row is wide enough for the years after 55 wide letters.
            QVERIFY2(stops[1] + metrics.horizontalAdvance(parts[2]) <=
                         list->model()->index(0, 0).data(Qt::SizeHintRole).toSize().width(),
                     qPrintable(line));
        }
        for (int day = 1; day <= 7; ++day)
            QVERIFY(metrics.horizontalAdvance(
                        "00/00/00   " + locale.dayName(day, QLocale::ShortFormat)) < stops[0]);
        // The labels keep their corner and are as large as their text.
        for (const char* name :
             {"lblShowDate1", "lblShowDate2", "LabelNoRemindersAll", "LabelNoRemindersWeek"}) {
            auto* label = f.find<QLabel>(name);
            QVERIFY2(label->height() >= label->sizeHint().height(), name);
            QVERIFY2(label->width() >= label->sizeHint().width() ||
                         label->objectName().startsWith("lblShowDate"),
                     name);
        }
        QCOMPARE(f.find<QLabel>("LabelNoRemindersAll")->pos(),
                 QPoint(twipsToPixels(2160, dpiOf(f.window.get())),
                        twipsToPixels(2040, dpiOf(f.window.get()))));
    }
};

QTEST_MAIN(TestAsAUser)
#include "test_as_a_user.moc"
