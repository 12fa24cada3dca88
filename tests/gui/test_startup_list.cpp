// SPDX-License-Identifier: GPL-3.0-or-later
// The Startup List window: its lines, the purge, its menus and toolbar, and its one instance.
#include "gui_fixture.h"
#include "startup/startup_form.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>

using namespace nudgewell;
using namespace nudgewell::test;
using Step = FailingFileSystem::Step;

namespace {

const QByteArray kThree = "10/15/200209:05:00 PM 10/16/200208:00:00 AM 10/17/200210:30:15 AM ";
const QStringList kThreeLines = {" 10/17/2002    10:30 am    Thursday\t3",
                                 " 10/16/2002    08:00 am    Wednesday\t2",
                                 " 10/15/2002    09:05 pm    Tuesday\t1"};
const QString kQuestion = "Delete Old Dates: Do you want to delete all of the old startup dates?";

// How many of this process's open files are `path`.
int openHandles(const QString& path) {
    int n = 0;
    for (const QFileInfo& fd : QDir("/proc/self/fd").entryInfoList(QDir::System | QDir::Files))
        n += fd.symLinkTarget() == QFileInfo(path).canonicalFilePath();
    return n;
}

struct Fixture : WindowFixture {
    Fixture() : WindowFixture(QDate(2002, 10, 17)) { start(); }
    // F2 from the main window. The style lets a child window pass for active while its parent
    // is, so this waits for the real thing.
    StartupForm* open() {
        press(Qt::Key_F2);
        auto* form = window->findChild<StartupForm*>();
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
    void purge_data() {
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<Step>("failAt");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("message"); // besides the question
        const QByteArray last = kThree.right(22);
        const QStringList purged = {" 10/17/02    10:30 am    Thursday\t1"};
        const auto row = [](const char* name, const QByteArray& log, Step failAt, bool yes,
                            const QByteArray& after, const QStringList& lines,
                            const QString& message) {
            QTest::newRow(name) << log << failAt << yes << after << lines << message;
        };
        row("No changes nothing", kThree, Step::None, false, kThree, kThreeLines, "");
        row("Yes keeps the last start", kThree, Step::None, true, last, purged, "");
        // 3.5 records count as 4: the torn fourth is the last, padded to a whole record.
        row("torn last record", kThree + "10/18/2002 ", Step::None, true, "10/18/2002            ",
            {" 10/18/02        Friday\t1"}, "");
        // Every step of the purge fails in test_write_paths; here, what the window says.
        row("renaming fails", kThree, Step::Rename, true, kThree, kThreeLines,
            "Nudgewell: The old startup dates could not be deleted.\ninjected failure");
        row("folder flush fails, the purge stands", kThree, Step::SyncDirectory, true, last, purged,
            "Nudgewell: The old startup dates were deleted, but the folder could not be written "
            "to disk; a power cut now could bring them back.\ninjected failure");
        // A log that can only be read is listed, and F9 asks nothing. (One that cannot be
        // opened at all is among the broken files.)
        row("log can only be read", kThree, Step::Open, true, kThree, kThreeLines,
            "Nudgewell: %1 can only be read. The Startup List shows its dates, but the old dates "
            "cannot be deleted.\ninjected failure");
    }

    void purge() {
        QFETCH(QByteArray, log);
        QFETCH(Step, failAt);
        QFETCH(bool, yes);
        QFETCH(QByteArray, after);
        QFETCH(QStringList, lines);
        QFETCH(QString, message);
        Fixture f;
        writeFile(f.path("startup.dat"), log);
        writeFile(f.path("startup.tmp"), "stale");
        f.files.failAt = failAt;
        f.messages.answers = {yes};
        StartupForm* form = f.open();
        QVERIFY(form);
        const bool opened = failAt != Step::Open;
        for (const char* name : {"menudelete", "tooldelete"})
            QCOMPARE(form->findChild<QAction*>(name)->isEnabled(), opened);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F9);
        QStringList shown = f.messages.shown;
        QCOMPARE(shown.removeAll(kQuestion), opened ? 1 : 0);
        QCOMPARE(shown.join('|'), QString(message).replace("%1", f.path("startup.dat")));
        QCOMPARE(f.log(), after);
        QCOMPARE(Fixture::listed(form), lines);
        QCOMPARE(QFile::exists(f.path("startup.tmp")), !opened || !yes);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("startuplist"));
    }

    // Another program appends starts while the list is open: the purge keeps the last one the
    // file holds, and the list shows what the file holds.
    void followsAnotherProgram() {
        Fixture f;
        writeFile(f.path("startup.dat"), kThree);
        StartupForm* form = f.open();
        QVERIFY(form);
        const auto append = [&](const QByteArray& record) {
            QFile log(f.path("startup.dat"));
            QVERIFY(log.open(QIODevice::Append) && log.write(record) == 22);
        };
        append("10/18/200207:00:00 AM ");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F9);
        QCOMPARE(f.log(), QByteArray("10/18/200207:00:00 AM "));
        append("10/19/200207:00:00 AM ");
        QTRY_COMPARE_WITH_TIMEOUT(Fixture::listed(form),
                                  QStringList({" 10/18/02    07:00 am    Friday\t1",
                                               " 10/19/02    07:00 am    Saturday\t2"}),
                                  1000);
    }

    // Rows are sized by the shape of their line; a line wider than the first (here the newest
    // start's time cannot be read) must still show whole in a window narrower than the lines.
    void noLineCutOff() {
        Fixture f;
        writeFile(f.path("startup.dat"), kThree + "10/17/2002garbage     ");
        StartupForm* form = f.open();
        QVERIFY(form);
        form->resize(80, form->height());
        QApplication::processEvents();
        auto* list = form->findChild<QListWidget*>("startuplist");
        QStyleOptionViewItem option;
        option.initFrom(list);
        const int reach = list->horizontalScrollBar()->maximum() + list->viewport()->width();
        QCOMPARE(list->count(), 4);
        for (int row = 1; row < 4; ++row)
            QVERIFY(reach >=
                    list->itemDelegate()->sizeHint(option, list->model()->index(row, 0)).width());
    }

    // One window at the main window's place: F2 brings it back; its help routes; each way of
    // closing frees the log and lets the main window show what changed meanwhile.
    void onceHelpAndClosing_data() {
        QTest::addColumn<QString>("how");
        for (const char* how : {"F12", "toolclose", "close box"})
            QTest::newRow(how) << how;
    }
    void onceHelpAndClosing() {
        QFETCH(QString, how);
        Fixture f;
        QPointer<StartupForm> form = f.open();
        QVERIFY(form);
        QCOMPARE(form->pos(), f.window->pos());
        QCOMPARE(openHandles(f.path("startup.dat")), 1);
        f.activate();
        QTRY_COMPARE(QApplication::activeWindow(), f.window.get());
        QTest::keyClick(f.window.get(), Qt::Key_F2);
        QTRY_COMPARE(QApplication::activeWindow(), form.data());
        QCOMPARE(f.window->findChildren<StartupForm*>().size(), 1);
        // The toolbar's topic, the menu's, the contents, F1 on the list and on a menu item.
        for (const char* name : {"toolhelp", "menuhelp2", "menuhelp1"})
            form->findChild<QAction*>(name)->trigger();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        auto* help = form->findChild<QMenu*>("menuhelp");
        help->popup(form->mapToGlobal(QPoint(0, 0)));
        QVERIFY(QTest::qWaitForWindowExposed(help));
        help->setActiveAction(form->findChild<QAction*>("menuhelp1"));
        QTest::keyClick(help, Qt::Key_F1);
        QCOMPARE(f.help.requests, QList<int>({206, 210, 0, 210, 206}));
        // Keys compare exactly; About opens the main window's one About window.
        form->Toolbar1_ButtonClick("ToolDelete");
        QVERIFY(f.messages.shown.isEmpty());
        form->findChild<QAction*>("menuhelp3")->trigger();
        QVERIFY(f.window->findChild<QWidget*>("AboutForm")->isVisible());
        f.window->findChild<QWidget*>("AboutForm")->hide();
        QVERIFY(activeSoon(form));

        f.writeReminders({recordBytes("Dentist", 'X', 'O', "10/18/2002")});
        if (how == "F12")
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F12);
        else if (how == "toolclose")
            form->findChild<QAction*>("toolclose")->trigger();
        else
            form->close();
        QTRY_VERIFY(!form);
        QVERIFY(f.window->isVisible() && f.activate());
        QTRY_COMPARE(f.lines("reminderlist").value(0).left(20), QString("10/18/02   Fri\tOnce "));
        QCOMPARE(openHandles(f.path("startup.dat")), 0);
    }
};

QTEST_MAIN(TestStartupList)
#include "test_startup_list.moc"
