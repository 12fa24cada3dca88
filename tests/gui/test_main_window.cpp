// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: start-up, size and exit, its lists, menus, toolbar and other windows.
#include "gui_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSet>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

// A list line: its head, the stored text in 55 columns, and what follows it.
QString line(const QString& head, const QString& text, const QString& tail = "") {
    return head + text.leftJustified(55) + tail;
}

} // namespace

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

    // The rules for odd values are the core's; these rows show the window applies them.
    void oddStoredSettings_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<bool>("minimized");
        QTest::addColumn<int>("lines"); // of a weekly reminder for tomorrow
        QTest::newRow("width missing") << "Height=6000" << QSizeF(8900, 6000) << false << 1;
        QTest::newRow("minimised") << "Minimize=1" << QSizeF(8900, 5655) << true << 1;
        QTest::newRow("14 days checked") << "Days Checked=14" << QSizeF(8900, 5655) << false << 2;
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

    // Every command of every window in one table, as the user meets them at start: each menu
    // and item as "window/name|caption|shortcut|help topic" ("|hidden" or "|disabled" after
    // it), each toolbar position as "window/name=spoken name|tooltip", "-" a separator. Then
    // what holds for all of them.
    void everyCommandOfEveryWindow() {
        WindowFixture f;
        f.start();
        for (const char* command : {"menuCalendar", "menustartup", "menuhelpabout"})
            f.action(command)->trigger();
        QSet<int> topics;
        QFile topicFile(NUDGEWELL_HELP_TOPICS);
        QVERIFY(topicFile.open(QIODevice::ReadOnly | QIODevice::Text));
        for (const QByteArray& line : topicFile.readAll().split('\n')) {
            if (!line.startsWith('#') && !line.trimmed().isEmpty())
                topics << line.left(line.indexOf(' ')).toInt();
        }
        QStringList seen;
        for (const char* name : {"reminder", "calendar", "startup"}) {
            const auto* window = qobject_cast<QMainWindow*>(
                name == QString("reminder") ? f.window.get() : f.find<QWidget>(name));
            QVERIFY2(window, name);
            QSet<QKeySequence> windowKeys;
            QSet<QChar> barMnemonics;
            for (QAction* title : window->menuBar()->actions()) {
                const QMenu* menu = title->menu();
                QSet<QChar> mnemonics;
                for (QAction* a : QList<QAction*>{title} + menu->actions()) {
                    if (a->isSeparator())
                        continue;
                    const QObject* owner = a == title ? static_cast<const QObject*>(menu) : a;
                    const QString id = QString(name) + "/" + owner->objectName();
                    const int topic = owner->property("helpTopic").toInt();
                    seen << QString("%1|%2|%3|%4%5")
                                .arg(id, a->text(), a->shortcut().toString())
                                .arg(topic)
                                .arg(!a->isVisible()   ? "|hidden"
                                     : !a->isEnabled() ? "|disabled"
                                                       : "");
                    QVERIFY2(!a->text().isEmpty() && !owner->objectName().isEmpty(),
                             qPrintable(id));
                    QVERIFY2(topic == 0 || topics.contains(topic), qPrintable(id));
                    const qsizetype amp = a->text().indexOf('&');
                    QSet<QChar>& taken = a == title ? barMnemonics : mnemonics;
                    if (a->isVisible() && amp >= 0) {
                        const QChar key = a->text().at(amp + 1).toLower();
                        QVERIFY2(!taken.contains(key), qPrintable(id + " repeats a mnemonic"));
                        taken << key;
                    }
                    if (!a->shortcut().isEmpty()) {
                        QVERIFY2(!windowKeys.contains(a->shortcut()),
                                 qPrintable(id + " repeats a shortcut"));
                        windowKeys << a->shortcut();
                    }
                }
            }
            const auto* bar = window->findChild<QToolBar*>("Toolbar1");
            QList<QImage> images;
            for (QAction* a : bar->actions()) {
                if (a->isSeparator()) {
                    seen << "-";
                    continue;
                }
                const QString id = QString(name) + "/" + a->objectName();
                seen << id + "=" + bar->widgetForAction(a)->accessibleName() + "|" +
                            bar->widgetForAction(a)->toolTip();
                // Each button of a bar has a picture of its own.
                const QImage image = a->icon().pixmap(24).toImage();
                QVERIFY2(!image.isNull() && !images.contains(image), qPrintable(id));
                images << image;
            }
        }
        auto* about = f.find<QWidget>("AboutForm");
        seen << "about/lblProductName|" + about->findChild<QLabel*>("lblProductName")->text();
        for (const char* button : {"butAboutHelpR", "butAboutOKR"})
            seen << QString("about/%1|%2")
                        .arg(button, about->findChild<QPushButton*>(button)->text());

        // Christmas is not upcoming, so there is nothing to print, edit or delete.
        QCOMPARE(
            seen.join(", "),
            QString(
                "reminder/menufile|&File||200, reminder/menuCalendar|Calenda&r|Ctrl+R|0, "
                "reminder/menustartup|&Startup List|F2|206, reminder/menushowall|Show &All|F3|202, "
                "reminder/menushowweek|Show &Upcoming|F4|202|hidden, "
                "reminder/menuoptions|&Options|F11|205, "
                "reminder/menuprintreminders|&Print Reminders|Ctrl+P|202|hidden, "
                "reminder/menuclose|E&xit|F12|200, reminder/menureminder1|&Reminder||202, "
                "reminder/menuadd|&New|F5|202, reminder/menuedit|&Edit|F7|202|disabled, "
                "reminder/menudelete|&Delete|F9|202|disabled, "
                "reminder/menudeleteold|Delete &Old Reminders|Ctrl+D|202, "
                "reminder/menureminder2|Reminder||0|hidden, "
                "reminder/menusave|&Save|F6|202|disabled, "
                "reminder/menucancel|&Cancel|F8|202|disabled, reminder/menuhelp|&Help||200, "
                "reminder/helponreminders|Help &Topics||200, "
                "reminder/helpusingreminders|&Using Nudgewell       F1||201, "
                "reminder/menuhelpabout|&About Nudgewell||201, reminder/tooladd=New|, "
                "reminder/tooledit=Edit|, reminder/tooldelete=Delete|, reminder/toolsave=Save|, "
                "reminder/toolcancel=Cancel|, reminder/toolprint=Print Reminders|, -, "
                "reminder/toolshowall=Show All|, reminder/toolshowweek=Show Upcoming|, "
                "reminder/toolstartup=Startup List|, reminder/toolcalendar=Calendar|, -, "
                "reminder/tooloptions=Options|, -, reminder/toolhelp=Help|, -, "
                "reminder/toolclose=Exit|, calendar/menufile|&File||210, "
                "calendar/menucopy|Cop&y date to the clipboard|Ctrl+Y|211, "
                "calendar/menuchange|Change the computer's &date|Ctrl+D|210, "
                "calendar/menugoto|Go to &Today|Ctrl+T|210, calendar/menuclose|Clo&se|F12|210, "
                "calendar/menuhelp|&Help||210, calendar/menuhelp2|&Help Topics||200, "
                "calendar/menuhelp1|Help on &Calendar    F1||210, calendar/cm1=Copy Date|Copy "
                "Date, "
                "-, calendar/cm2=Change Date|Change Date, -, "
                "calendar/cm3=Calendar Help|Calendar Help, -, "
                "calendar/cm4=Close Calendar|Close Calendar, startup/menufile|&File||206, "
                "startup/menudelete|&Delete Old Dates|F9|206, startup/menuclose|&Close|F12|206, "
                "startup/menuhelp|&Help||206, startup/menuhelp1|Help &Topics||206, "
                "startup/menuhelp2|&Using the Startup List      F1||206, "
                "startup/menuhelp3|&About Nudgewell||206, "
                "startup/tooldelete=Delete Old Startup Dates|Delete Old Startup Dates, -, "
                "startup/toolhelp=Help Using Startup List|Help Using Startup List, -, "
                "startup/toolclose=Close Startup List|Close Startup List, "
                "about/lblProductName|Nudgewell 5.0, about/butAboutHelpR|&Help, "
                "about/butAboutOKR|&OK"));
    }

    // Menus and toolbar show and allow what the state table says, in every state.
    void commandsFollowTheStateTable_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("editing");
        QTest::addColumn<bool>("all");
        QTest::addColumn<bool>("hasLines");
        QTest::newRow("upcoming, no lines") << "" << false << false << false << false;
        QTest::newRow("all") << "F3" << false << false << true << true;
        QTest::newRow("editing") << "F3,F7" << false << true << true << true;
        QTest::newRow("read-only, all") << "F3" << true << false << true << true;
    }
    void commandsFollowTheStateTable() {
        QFETCH(QString, keys);
        QFETCH(bool, readOnly);
        QFETCH(bool, editing);
        QFETCH(bool, all);
        QFETCH(bool, hasLines);
        WindowFixture f;
        if (readOnly) { // reminder.dat opens for reading only
            f.writeReminders({recordBytes("Swim", 'X', 'W', "12/25/2001")});
            f.files.failAt = FailingFileSystem::Step::Open;
            f.files.failOnCall = 2; // startup.dat opens first
        }
        f.start();
        for (const QString& key : keys.split(',', Qt::SkipEmptyParts))
            f.press(Qt::Key_F1 + key.mid(1).toInt() - 1);
        QCOMPARE(f.window->isEditing(), editing);
        const WindowState state{editing ? Mode::Editing : Mode::Browsing,
                                all ? View::All : View::Upcoming, hasLines, readOnly};
        for (const ActionState& row : actionStates()) {
            const QAction* a = f.action(QString(row.objectName));
            QVERIFY2(a, row.objectName.data());
            // Qt disables what it hides.
            QVERIFY2(a->isVisible() == row.visible(state) &&
                         a->isEnabled() == (row.visible(state) && row.enabled(state)),
                     row.objectName.data());
        }
    }

    void commandsRun() {
        WindowFixture f;
        f.writeReminders({recordBytes("Swim", 'X', 'W', "12/07/2037")});
        f.start();
        f.action("tooladd")->trigger();
        QCOMPARE(f.window->editorMode(), QString("add"));
        f.action("toolcancel")->trigger();
        QCOMPARE(f.window->recordCount(), 1);
        f.action("tooledit")->trigger();
        QCOMPARE(f.window->editorMode(), QString("edit"));
        f.action("toolsave")->trigger();
        QVERIFY(!f.window->isEditing());
        f.action("toolprint")->trigger();
        QCOMPARE(f.printer.pages.value(0).size(), 3); // the heading and the one line

        const QStringList view = {"toolshowall", "toolshowweek", "menushowall", "menushowweek"};
        f.action("toolshowall")->trigger();
        QCOMPARE(f.shown(view), QString("toolshowweek menushowweek"));
        auto* upcoming = f.find<QListView>("reminderlist");
        auto* all = f.find<QListView>("reminderlist2");
        QVERIFY(all->isVisible() && !upcoming->isVisible());
        f.action("toolshowweek")->trigger();
        QCOMPARE(f.shown(view), QString("toolshowall menushowall"));
        QVERIFY(upcoming->isVisible() && !all->isVisible());

        f.action("tooldelete")->trigger(); // answered Yes
        QCOMPARE(f.window->recordCount(), 0);
    }

    void secondaryWindowsOpenOnce() {
        WindowFixture f;
        f.start();
        f.action("menuhelpabout")->trigger();
        auto* about = f.find<QWidget>("AboutForm");
        auto* ok = about->findChild<QPushButton*>("butAboutOKR");
        about->findChild<QPushButton*>("butAboutHelpR")->click();
        QCOMPARE(f.help.requests, QList<int>({200}));
        // OK hides it; opened again, it is where it was left, not centred again.
        const QPoint moved = about->pos() + QPoint(40, 30);
        about->move(moved);
        ok->click();
        QVERIFY(!about->isVisible());
        f.action("menuhelpabout")->trigger();
        QVERIFY(about->isVisible());
        QCOMPARE(about->pos(), moved);

        f.action("toolcalendar")->trigger();
        f.action("menuCalendar")->trigger();
        f.action("toolstartup")->trigger();
        QStringList captions;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w != f.window.get())
                captions << w->objectName() + "=" + w->windowTitle();
        }
        captions.sort();
        QCOMPARE(captions, QStringList({"AboutForm=About Nudgewell", "calendar=Calendar",
                                        "startup=Startup List"}));

        // Options is modal: it has closed before the command returns.
        QString caption;
        closeModalSoon(&caption);
        f.action("tooloptions")->trigger();
        QCOMPARE(caption, QString("Options"));

        // Exit closes the other windows too.
        f.window->close();
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible(), qPrintable(w->windowTitle()));
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
