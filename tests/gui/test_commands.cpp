// SPDX-License-Identifier: GPL-3.0-or-later
// The menu bar, the toolbar, the view switch, help requests and the secondary windows.
#include "gui_fixture.h"
#include "main/commands.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>

using namespace nudgewell;
using namespace nudgewell::test;

class TestCommands : public QObject {
    Q_OBJECT

private slots:
    void menusAndToolbarAtStart() {
        WindowFixture f;
        f.start();
        // Christmas is not upcoming, so there is nothing to print. The toolbar buttons have no
        // tooltips, only names a screen reader speaks.
        QCOMPARE(
            menuItems(f.window->menuBar()),
            QString(
                "menufile|&File||200, menuCalendar|Calenda&r|Ctrl+R|0, "
                "menustartup|&Startup List|F2|206, menushowall|Show &All|F3|202, "
                "menushowweek|Show &Upcoming|F4|202|hidden, sep1|||0, "
                "menuoptions|&Options|F11|205, "
                "menuprintreminders|&Print Reminders|Ctrl+P|202|hidden, sep2|||0, "
                "menuclose|E&xit|F12|200, menureminder1|&Reminder||202, menuadd|&New|F5|202, "
                "menuedit|&Edit|F7|202, menudelete|&Delete|F9|202, sep3|||0, "
                "menudeleteold|Delete &Old Reminders|Ctrl+D|202, menureminder2|Reminder||0|hidden, "
                "menusave|&Save|F6|202, menucancel|&Cancel|F8|202, menuhelp|&Help||200, "
                "helponreminders|Help &Topics||200, helpusingreminders|&Using Nudgewell       "
                "F1||201, "
                "sep4|||0, menuhelpabout|&About Nudgewell||201"));
        auto* bar = f.find<QToolBar>("Toolbar1");
        QCOMPARE(
            toolbarItems(bar, true),
            QString(
                "tooladd=New, tooledit=Edit, tooldelete=Delete, toolsave=Save, toolcancel=Cancel, "
                "toolprint=Print Reminders, -, toolshowall=Show All, toolshowweek=Show Upcoming, "
                "toolstartup=Startup List, toolcalendar=Calendar, -, tooloptions=Options, -, "
                "toolhelp=Help, -, toolclose=Exit"));
        for (QAction* a : bar->actions())
            QVERIFY(a->isSeparator() ||
                    (!a->icon().isNull() && bar->widgetForAction(a)->toolTip().isEmpty()));
        QCOMPARE(f.toolbar(),
                 QString("tooladd tooledit- tooldelete- toolprint- toolsep7 toolshowall "
                         "toolstartup toolcalendar toolsep12 tooloptions toolsep14 "
                         "toolhelp toolsep16 toolclose"));
        // Show All and Show Upcoming carry images 8 and 7: the two must differ.
        QVERIFY(f.action("toolshowall")->icon().pixmap(24).toImage() !=
                f.action("toolshowweek")->icon().pixmap(24).toImage());
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
        QCOMPARE(about->findChild<QLabel*>("lblProductName")->text(), QString("Nudgewell 5.0"));
        auto* help = about->findChild<QPushButton*>("butAboutHelpR");
        auto* ok = about->findChild<QPushButton*>("butAboutOKR");
        QCOMPARE(help->text() + " " + ok->text(), QString("&Help &OK"));
        help->click();
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

QTEST_MAIN(TestCommands)
#include "test_commands.moc"
