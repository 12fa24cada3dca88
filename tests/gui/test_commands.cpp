// SPDX-License-Identifier: GPL-3.0-or-later
// The menu bar, the toolbar, the view switch, help requests and the secondary windows.
#include "gui_fixture.h"
#include "main/commands.h"
#include "main/twips.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>

using namespace nudgewell;
using namespace nudgewell::test;

class TestCommands : public QObject {
    Q_OBJECT

private slots:
    void menuBarCaptionsAndShortcuts();
    void toolbarKeysInTheirPositions();
    void viewSwitchOffersTheOtherView();
    void toolbarButtonsRunTheirCommands();
    void helpRequests();
    void secondaryWindowsOpenOnce();
    void aboutWindow();
};

void TestCommands::menuBarCaptionsAndShortcuts() {
    WindowFixture f;
    f.start();
    struct Item {
        const char* name;
        const char* caption;
        QKeySequence keys;
        bool visible;
        int topic;
    };
    const QList<QPair<QString, QList<Item>>> menus = {
        {"&File",
         {{"menuCalendar", "Calenda&r", QKeySequence("Ctrl+R"), true, 0},
          {"menustartup", "&Startup List", QKeySequence("F2"), true, 206},
          {"menushowall", "Show &All", QKeySequence("F3"), true, 202},
          {"menushowweek", "Show &Upcoming", QKeySequence("F4"), false, 202},
          {"sep1", "", QKeySequence(), true, 0},
          {"menuoptions", "&Options", QKeySequence("F11"), true, 205},
          {"menuprintreminders", "&Print Reminders", QKeySequence("Ctrl+P"), false, 202},
          {"sep2", "", QKeySequence(), true, 0},
          {"menuclose", "E&xit", QKeySequence("F12"), true, 200}}},
        {"&Reminder",
         {{"menuadd", "&New", QKeySequence("F5"), true, 202},
          {"menuedit", "&Edit", QKeySequence("F7"), true, 202},
          {"menudelete", "&Delete", QKeySequence("F9"), true, 202},
          {"sep3", "", QKeySequence(), true, 0},
          {"menudeleteold", "Delete &Old Reminders", QKeySequence("Ctrl+D"), true, 202}}},
        {"&Reminder",
         {{"menusave", "&Save", QKeySequence("F6"), true, 202},
          {"menucancel", "&Cancel", QKeySequence("F8"), true, 202}}},
        {"&Help",
         {{"helponreminders", "Help &Topics", QKeySequence(), true, 200},
          {"helpusingreminders", "&Using Nudgewell       F1", QKeySequence(), true, 201},
          {"sep4", "", QKeySequence(), true, 0},
          {"menuhelpabout", "&About Nudgewell", QKeySequence(), true, 201}}},
    };
    const QList<QAction*> top = f.window->menuBar()->actions();
    QCOMPARE(top.size(), menus.size());
    const QList<bool> topVisible = {true, true, false, true};
    for (int m = 0; m < menus.size(); ++m) {
        QCOMPARE(top[m]->text(), menus[m].first);
        QCOMPARE(top[m]->isVisible(), topVisible[m]);
        const QList<QAction*> items = top[m]->menu()->actions();
        QCOMPARE(items.size(), menus[m].second.size());
        for (int i = 0; i < items.size(); ++i) {
            const Item& want = menus[m].second[i];
            QCOMPARE(items[i]->objectName(), QString(want.name));
            QCOMPARE(items[i]->text(), QString(want.caption));
            QCOMPARE(items[i]->shortcut(), want.keys);
            QCOMPARE(menuHelpTopic(want.name), want.topic);
            // Christmas is not upcoming, so there is nothing to print at start.
            QCOMPARE(items[i]->isVisible(), want.visible);
        }
    }
}

void TestCommands::toolbarKeysInTheirPositions() {
    WindowFixture f;
    f.start();
    const QStringList keys = {"tooladd",
                              "tooledit",
                              "tooldelete",
                              "toolsave",
                              "toolcancel",
                              "toolprint",
                              "",
                              "toolshowall",
                              "toolshowweek",
                              "toolstartup",
                              "toolcalendar",
                              "",
                              "tooloptions",
                              "",
                              "toolhelp",
                              "",
                              "toolclose"};
    const QList<QAction*> bar = f.find<QWidget>("Toolbar1")->actions();
    QCOMPARE(bar.size(), 17);
    for (int i = 0; i < 17; ++i) {
        QCOMPARE(bar[i]->isSeparator(), keys[i].isEmpty());
        if (!keys[i].isEmpty()) {
            QCOMPARE(bar[i]->objectName(), keys[i]);
            QVERIFY2(!bar[i]->icon().isNull(), qPrintable(keys[i]));
            QWidget* button = f.find<QToolBar>("Toolbar1")->widgetForAction(bar[i]);
            QVERIFY2(!button->accessibleName().isEmpty(), "every button has a name to speak");
            QVERIFY(button->toolTip().isEmpty());
        }
    }
    // Show All and Show Upcoming carry images 8 and 7: the two must differ.
    QVERIFY(bar[7]->icon().pixmap(24).toImage() != bar[8]->icon().pixmap(24).toImage());
    QVERIFY(!bar[3]->isVisible() && !bar[4]->isVisible() && !bar[8]->isVisible());
}

void TestCommands::viewSwitchOffersTheOtherView() {
    WindowFixture f;
    f.start();
    f.action("toolshowall")->trigger();
    QVERIFY(!f.action("toolshowall")->isVisible());
    QVERIFY(f.action("toolshowweek")->isVisible());
    QVERIFY(!f.action("menushowall")->isVisible());
    QVERIFY(f.action("menushowweek")->isVisible());
    QVERIFY(f.find<QListView>("reminderlist2")->isVisible());
    QCOMPARE(f.window->windowTitle(), QString("Nudgewell -  1 saved"));
    f.action("toolshowweek")->trigger();
    QVERIFY(f.action("toolshowall")->isVisible());
    QVERIFY(!f.action("toolshowweek")->isVisible());
    QVERIFY(f.action("menushowall")->isVisible());
    QVERIFY(!f.action("menushowweek")->isVisible());
    QVERIFY(!f.find<QListView>("reminderlist2")->isVisible());
}

void TestCommands::toolbarButtonsRunTheirCommands() {
    WindowFixture f;
    f.writeReminders({recordBytes("Swim", 'X', 'W', "12/07/2026")});
    f.start();
    f.action("tooladd")->trigger();
    QCOMPARE(f.window->editorMode(), QString("add"));
    QVERIFY(f.window->isEditing());
    f.action("toolcancel")->trigger();
    QVERIFY(!f.window->isEditing());
    QCOMPARE(f.window->recordCount(), 1);
    f.action("tooledit")->trigger();
    QCOMPARE(f.window->editorMode(), QString("edit"));
    QVERIFY(f.window->isEditing());
    f.action("toolsave")->trigger();
    QVERIFY(!f.window->isEditing());
    f.messages.answers = {false};
    f.action("tooldelete")->trigger();
    QCOMPARE(f.messages.shown.back().text,
             QString("Do you want to delete the highlighted reminder?"));
    f.action("toolprint")->trigger();
    QCOMPARE(int(f.messages.shown.size()), 2);
    QVERIFY(!f.messages.shown.back().question);
}

void TestCommands::helpRequests() {
    WindowFixture f;
    f.start();
    f.action("helponreminders")->trigger();
    f.action("helpusingreminders")->trigger();
    f.action("toolhelp")->trigger();
    QCOMPARE(f.help.requests, QList<int>({0, 201, 201}));
}

void TestCommands::secondaryWindowsOpenOnce() {
    WindowFixture f;
    f.start();
    f.action("toolcalendar")->trigger();
    f.action("menuCalendar")->trigger();
    f.action("toolstartup")->trigger();
    int calendars = 0;
    QStringList captions;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w != f.window.get())
            captions << w->windowTitle();
        calendars += w->objectName() == "calendar";
    }
    QCOMPARE(calendars, 1);
    captions.sort();
    QCOMPARE(captions, QStringList({"Calendar", "Startup List"}));

    // Options is modal: it has closed before the command returns.
    QString caption;
    QTimer::singleShot(50, [&caption] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            caption = modal->windowTitle();
            modal->close();
        }
    });
    f.action("tooloptions")->trigger();
    QCOMPARE(caption, QString("Options"));

    // Exit closes the other windows too.
    f.window->close();
    for (QWidget* w : QApplication::topLevelWidgets())
        QVERIFY2(!w->isVisible(), qPrintable(w->windowTitle()));
}

void TestCommands::aboutWindow() {
    WindowFixture f;
    f.start();
    f.action("menuhelpabout")->trigger();
    auto* about = f.window->findChild<QWidget*>("AboutForm");
    QVERIFY(about && about->isVisible());
    QCOMPARE(about->windowTitle(), QString("About Nudgewell"));
    QCOMPARE(about->findChild<QLabel*>("lblProductName")->text(), QString("Nudgewell 5.0"));
    QVERIFY(!about->findChild<QLabel*>("imgLogo")->pixmap().isNull());
    const double dpi = dpiOf(about);
    QCOMPARE(about->height(), twipsToPixels(4650, dpi));
    QCOMPARE(about->width(), twipsToPixels(7500, dpi));

    auto* help = about->findChild<QPushButton*>("butAboutHelpR");
    QCOMPARE(help->text(), QString("&Help"));
    help->click();
    QCOMPARE(f.help.requests, QList<int>({200}));

    auto* ok = about->findChild<QPushButton*>("butAboutOKR");
    QCOMPARE(ok->text(), QString("&OK"));
    const QPoint placed = about->pos();
    about->move(placed + QPoint(40, 30));
    ok->click();
    QVERIFY(!about->isVisible());
    f.action("menuhelpabout")->trigger();
    QVERIFY(about->isVisible());
    QCOMPARE(f.window->findChildren<QWidget*>("AboutForm").size(), 1);
    QCOMPARE(about->pos(), placed + QPoint(40, 30)); // not centred again
}

QTEST_MAIN(TestCommands)
#include "test_commands.moc"
