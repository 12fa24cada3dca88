// SPDX-License-Identifier: GPL-3.0-or-later
// The Startup List window: its lines, the purge, its menus and toolbar, and its one instance.
#include "gui_fixture.h"
#include "startup/startup_form.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

using namespace nudgewell;
using namespace nudgewell::test;
using Step = FailingFileSystem::Step;

Q_DECLARE_METATYPE(Step)

namespace {

// Two earlier starts; the fixture's own start on Thursday 17 October 2002 at 10:30:15 AM adds
// the third.
const QByteArray kEarlier = "10/15/200209:05:00 PM 10/16/200208:00:00 AM ";
const QByteArray kToday = "10/17/200210:30:15 AM ";
const QStringList kThree = {" 10/17/2002    10:30 am    Thursday\t3",
                            " 10/16/2002    08:00 am    Wednesday\t2",
                            " 10/15/2002    09:05 pm    Tuesday\t1"};
const QStringList kPurged = {" 10/17/02    10:30 am    Thursday\t1"};

// How many of this process's open files are `path`.
int openHandles(const QString& path) {
    int n = 0;
    const QString target = QFileInfo(path).canonicalFilePath();
    for (const QFileInfo& fd : QDir("/proc/self/fd").entryInfoList(QDir::System | QDir::Files))
        n += fd.symLinkTarget() == target;
    return n;
}

struct Fixture : WindowFixture {
    Fixture() : WindowFixture(QDate(2002, 10, 17)) {
        writeFile(path("startup.dat"), kEarlier);
        start();
    }
    // Opens the window with F2 from the main window.
    StartupForm* open() {
        press(Qt::Key_F2);
        auto* form = window->findChild<StartupForm*>();
        // The style lets a child window pass for active while its parent is; wait for the
        // real thing.
        return form && QTest::qWaitFor([form] { return QApplication::activeWindow() == form; })
                   ? form
                   : nullptr;
    }
    QByteArray log() const { return readFile(path("startup.dat")); }
    static QStringList listed(const StartupForm* form) {
        QStringList out;
        const auto* list = form->findChild<QListWidget*>("startuplist");
        for (int row = 0; row < list->count(); ++row)
            out << list->item(row)->text();
        return out;
    }
};

} // namespace

class TestStartupList : public QObject {
    Q_OBJECT

private slots:
    void purge_data();
    void purge();
    void unreadableLog();
    void menusToolbarAndHelp();
    void onceAndClosing_data();
    void onceAndClosing();
};

void TestStartupList::purge_data() {
    QTest::addColumn<bool>("yes");
    QTest::addColumn<Step>("failAt");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("message");
    const QByteArray three = kEarlier + kToday;
    QTest::newRow("No changes nothing") << false << Step::None << three << kThree << "";
    QTest::newRow("Yes keeps the last start") << true << Step::None << kToday << kPurged << "";
    const QString failed = "Nudgewell: The old startup dates could not be deleted.\n"
                           "injected failure";
    for (const auto& [name, step] : {std::pair{"reading", Step::Read},
                                     {"removing the stale temp", Step::Remove},
                                     {"creating the temp", Step::Create},
                                     {"writing", Step::Write},
                                     {"flushing", Step::Flush},
                                     {"renaming", Step::Rename}}) {
        QTest::newRow(qPrintable(QString("%1 fails").arg(name)))
            << true << step << three << kThree << failed;
    }
    QTest::newRow("folder flush fails, the purge stands")
        << true << Step::SyncDirectory << kToday << kPurged << "Nudgewell: injected failure";
}

void TestStartupList::purge() {
    QFETCH(bool, yes);
    QFETCH(Step, failAt);
    QFETCH(QByteArray, after);
    QFETCH(QStringList, lines);
    QFETCH(QString, message);
    Fixture f;
    QCOMPARE(f.log(), kEarlier + kToday);
    writeFile(f.path("startup.tmp"), "stale");
    StartupForm* form = f.open();
    QVERIFY(form);
    QCOMPARE(Fixture::listed(form), kThree);
    f.files.failAt = failAt;
    f.messages.answers = {yes};
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F9);
    QCOMPARE(f.messages.shown.value(0),
             QString("Delete Old Dates: Do you want to delete all of the old startup dates?"));
    QCOMPARE(f.messages.icons.value(0), MessageBoxes::Icon::Question);
    QCOMPARE(f.messages.shown.value(1), message);
    QCOMPARE(f.messages.shown.size(), message.isEmpty() ? 1 : 2);
    QCOMPARE(f.log(), after);
    QCOMPARE(Fixture::listed(form), lines);
    QCOMPARE(QFile::exists(f.path("startup.tmp")),
             !yes || failAt == Step::Remove || failAt == Step::Read);
    QCOMPARE(QApplication::focusWidget()->objectName(), QString("startuplist"));
}

void TestStartupList::unreadableLog() {
    Fixture f;
    // startup.dat cannot be opened: the window says so and lists nothing; F9 then asks nothing.
    f.files.failAt = Step::Open;
    StartupForm* form = f.open();
    QVERIFY(form);
    QCOMPARE(f.messages.shown,
             QStringList{"Nudgewell: The startup list cannot be opened.\ninjected failure"});
    QVERIFY(Fixture::listed(form).isEmpty());
    QTest::keyClick(form, Qt::Key_F9);
    QCOMPARE(f.messages.shown.size(), 1);
    QPointer<StartupForm> closing = form;
    form->close();
    QTRY_VERIFY(!closing);

    // An empty log lists nothing and purges to nothing, without reading a record.
    f.files.failAt = Step::None;
    writeFile(f.path("startup.dat"), "");
    form = f.open();
    QVERIFY(form);
    QVERIFY(Fixture::listed(form).isEmpty());
    QTest::keyClick(form, Qt::Key_F9);
    QCOMPARE(f.messages.shown.size(), 2);
    QVERIFY(Fixture::listed(form).isEmpty());
    QCOMPARE(f.log(), QByteArray());

    // The new file cannot be opened after the purge: the list is empty and F9 does nothing.
    closing = form;
    form->close();
    QTRY_VERIFY(!closing);
    writeFile(f.path("startup.dat"), kEarlier);
    form = f.open();
    QVERIFY(form);
    f.files.failAt = Step::Open;
    f.files.failOnCall = 2; // the first failed when the window opened above
    QTest::keyClick(form, Qt::Key_F9);
    QVERIFY(f.messages.last().contains("injected failure"));
    QCOMPARE(f.log(), kEarlier.right(22));
    QVERIFY(Fixture::listed(form).isEmpty());
    const qsizetype shown = f.messages.shown.size();
    QTest::keyClick(form, Qt::Key_F9);
    QCOMPARE(f.messages.shown.size(), shown);
}

void TestStartupList::menusToolbarAndHelp() {
    Fixture f;
    StartupForm* form = f.open();
    QVERIFY(form);
    QCOMPARE(form->windowTitle(), QString("Startup List"));
    QCOMPARE(form->size(), f.pixels(4380, 5520));
    QCOMPARE(form->pos(), f.window->pos());
    // Each menu, then its items: name|caption|shortcut|help topic.
    QStringList items;
    for (QAction* menu : form->menuBar()->actions()) {
        items << menu->menu()->objectName() + "|" + menu->text() + "|" +
                     menu->menu()->property("helpTopic").toString();
        for (QAction* a : menu->menu()->actions())
            items << QString("%1|%2|%3|%4")
                         .arg(a->objectName(), a->text(), a->shortcut().toString())
                         .arg(a->property("helpTopic").toInt());
    }
    QCOMPARE(items.join(", "),
             QString("menufile|&File|206, menudelete|&Delete Old Dates|F9|206, sep1|||0, "
                     "menuclose|&Close|F12|206, menuhelp|&Help|206, "
                     "menuhelp1|Help &Topics||206, "
                     "menuhelp2|&Using the Startup List      F1||206, sep2|||0, "
                     "menuhelp3|&About Nudgewell||206"));
    QStringList tools;
    auto* bar = form->findChild<QToolBar*>("Toolbar1");
    for (QAction* a : bar->actions()) {
        tools << (a->isSeparator() ? "-" : a->objectName() + "=" + a->toolTip());
        QVERIFY(a->isSeparator() || !a->icon().isNull());
    }
    QCOMPARE(tools.join(", "),
             QString("tooldelete=Delete Old Startup Dates, -, toolhelp=Help Using Startup List, "
                     "-, toolclose=Close Startup List"));

    // Help: the toolbar's topic, the menu's, the contents, F1 on the list and on a menu item.
    bar->actions().value(2)->trigger();
    form->findChild<QAction*>("menuhelp2")->trigger();
    form->findChild<QAction*>("menuhelp1")->trigger();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    auto* help = form->findChild<QMenu*>("menuhelp");
    help->popup(form->mapToGlobal(QPoint(0, 0)));
    QVERIFY(QTest::qWaitForWindowExposed(help));
    help->setActiveAction(form->findChild<QAction*>("menuhelp1"));
    QTest::keyClick(help, Qt::Key_F1);
    QCOMPARE(f.help.requests, QList<int>({206, 210, 0, 210, 206}));
    // An unknown key does nothing; About opens the main window's About window.
    form->Toolbar1_ButtonClick("ToolDelete");
    QCOMPARE(f.messages.shown.size(), 0);
    QVERIFY(!f.window->findChild<QWidget*>("AboutForm"));
    form->findChild<QAction*>("menuhelp3")->trigger();
    QVERIFY(f.window->findChild<QWidget*>("AboutForm")->isVisible());
}

void TestStartupList::onceAndClosing_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("F12") << "F12";
    QTest::newRow("toolclose") << "toolclose";
    QTest::newRow("close box") << "close box";
}

void TestStartupList::onceAndClosing() {
    QFETCH(QString, how);
    Fixture f;
    QPointer<StartupForm> form = f.open();
    QVERIFY(form);
    QCOMPARE(openHandles(f.path("startup.dat")), 1);
    // F2 again, from the main window, brings the same window back to the front.
    f.activate();
    QTRY_COMPARE(QApplication::activeWindow(), f.window.get());
    QTest::keyClick(f.window.get(), Qt::Key_F2);
    QTRY_COMPARE(QApplication::activeWindow(), form.data());
    int windows = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        windows += w->objectName() == "startup";
    QCOMPARE(windows, 1);

    // A reminder added on disk meanwhile shows once the main window is active again.
    f.writeReminders({recordBytes("Dentist", 'X', 'O', "10/18/2002")});
    if (how == "F12")
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F12);
    else if (how == "toolclose")
        form->findChild<QAction*>("toolclose")->trigger();
    else
        form->close();
    QTRY_VERIFY(!form);
    QVERIFY(f.window->isVisible());
    QVERIFY(f.activate());
    QTRY_COMPARE(f.lines("reminderlist").value(0).left(20), QString("10/18/02   Fri\tOnce "));
    QCOMPARE(openHandles(f.path("startup.dat")), 0);
    QCOMPARE(f.log(), kEarlier + kToday);
}

QTEST_MAIN(TestStartupList)
#include "test_startup_list.moc"
