// SPDX-License-Identifier: GPL-3.0-or-later
// The Startup List window: its lines, the purge, its menus and toolbar, and its one instance.
#include "key_script.h"
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
    // Each row opens the list on its log and types its keys: "fail:" fails a disk step from
    // the start, "no" answers the question No, "append:" is another program adding a start,
    // "act:" triggers an action, "menuF1" is F1 on Help Contents in the open Help menu, "main"
    // is F2 from the main window, "close" is the close box. The messages say "?" for the
    // question and "%1" for the log's name.
    void scenario_data() {
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("lines"); // none once closed
        QTest::addColumn<QString>("said");
        QTest::addColumn<QList<int>>("help");
        const QByteArray last = kThree.right(22);
        const QStringList purged = {" 10/17/02    10:30 am    Thursday\t1"};
        const auto row = [](const char* name, const QByteArray& log, const char* keys,
                            const QByteArray& after, const QStringList& lines,
                            const QString& said = "", const QList<int>& help = {}) {
            QTest::newRow(name) << log << QString(keys) << after << lines << said << help;
        };
        row("No changes nothing", kThree, "no,F9", kThree, kThreeLines, "?");
        row("Yes keeps the last start", kThree, "F9", last, purged, "?");
        // 3.5 records count as 4: the torn fourth is the last, padded to a whole record.
        row("torn last record", kThree + "10/18/2002 ", "F9", "10/18/2002            ",
            {" 10/18/02        Friday\t1"}, "?");
        // Every step of the purge fails in test_write_paths; here, what the window says.
        row("renaming fails", kThree, "fail:Rename,F9", kThree, kThreeLines,
            "?|Nudgewell: The old startup dates could not be deleted.\ninjected failure");
        row("folder flush fails, the purge stands", kThree, "fail:SyncDirectory,F9", last, purged,
            "?|Nudgewell: The old startup dates were deleted, but the folder could not be written "
            "to disk; a power cut now could bring them back.\ninjected failure");
        // A log that can only be read is listed, and F9 asks nothing. (One that cannot be
        // opened at all is among the broken files.)
        row("log can only be read", kThree, "fail:Open,F9", kThree, kThreeLines,
            "Nudgewell: %1 can only be read. The Startup List shows its dates, but the old dates "
            "cannot be deleted.\ninjected failure");
        // The purge keeps the last start the file holds, and the list follows the file.
        row("another program appends", kThree,
            "append:10/18/200207:00:00 AM ,F9,append:10/19/200207:00:00 AM ",
            "10/18/200207:00:00 AM 10/19/200207:00:00 AM ",
            {" 10/18/02    07:00 am    Friday\t1", " 10/19/02    07:00 am    Saturday\t2"}, "?");
        // The toolbar's topic, the menu's, the contents, F1 on the list and on a menu item. Keys
        // compare exactly; About is the main window's one About window.
        row("help", kThree, "act:toolhelp,act:menuhelp2,act:menuhelp1,F1,menuF1,key:ToolDelete",
            kThree, kThreeLines, "", {206, 210, 0, 210, 206});
        row("F2 again brings it back", kThree, "main", kThree, kThreeLines);
        // Closed, it frees the log, and the main window shows what changed meanwhile.
        row("closed by F12", kThree, "act:menuhelp3,F12", kThree, {});
        row("closed by toolclose", kThree, "act:toolclose", kThree, {});
        row("closed by the close box", kThree, "close", kThree, {});
    }
    void scenario() {
        QFETCH(QByteArray, log);
        QFETCH(QString, keys);
        QFETCH(QStringList, lines);
        QFETCH(QString, said);
        Fixture f;
        writeFile(f.path("startup.dat"), log);
        writeFile(f.path("startup.tmp"), "stale");
        if (keys.startsWith("fail:"))
            f.files.failAt = keys.startsWith("fail:Rename")          ? Step::Rename
                             : keys.startsWith("fail:SyncDirectory") ? Step::SyncDirectory
                                                                     : Step::Open;
        QPointer<StartupForm> form = f.open();
        QVERIFY(form);
        QCOMPARE(form->pos(), f.window->pos());
        QCOMPARE(openHandles(f.path("startup.dat")), 1);
        const bool opened = f.files.failAt != Step::Open;
        for (const char* name : {"menudelete", "tooldelete"})
            QCOMPARE(form->findChild<QAction*>(name)->isEnabled(), opened);
        f.writeReminders({recordBytes("Dentist", 'X', 'O', "10/18/2002")});
        runScript(
            keys, form,
            {{"fail", [](const QString&) {}},
             {"no", [&](const QString&) { f.messages.answers = {false}; }},
             {"append",
              [&](const QString& record) {
                  QFile file(f.path("startup.dat"));
                  QVERIFY(file.open(QIODevice::Append) && file.write(record.toLatin1()) == 22);
              }},
             {"act", [&](const QString& name) { form->findChild<QAction*>(name)->trigger(); }},
             {"key", [&](const QString& key) { form->Toolbar1_ButtonClick(key); }},
             {"menuF1",
              [&](const QString&) {
                  auto* menu = form->findChild<QMenu*>("menuhelp");
                  menu->popup(form->mapToGlobal(QPoint(0, 0)));
                  QVERIFY(QTest::qWaitForWindowExposed(menu));
                  menu->setActiveAction(form->findChild<QAction*>("menuhelp1"));
                  QTest::keyClick(menu, Qt::Key_F1);
              }},
             {"main",
              [&](const QString&) { // F2 from the main window
                  QVERIFY(f.activate());
                  QTest::keyClick(f.window.get(), Qt::Key_F2);
                  QTRY_COMPARE(QApplication::activeWindow(), form.data());
                  QCOMPARE(f.window->findChildren<StartupForm*>().size(), 1);
              }},
             {"close", [&](const QString&) { form->close(); }}});
        QCOMPARE(f.messages.shown.join('|'),
                 QString(said).replace("?", kQuestion).replace("%1", f.path("startup.dat")));
        QTEST(f.help.requests, "help");
        QTEST(f.log(), "after");
        QCOMPARE(QFile::exists(f.path("startup.tmp")),
                 !opened || !said.startsWith("?") || keys.startsWith("no"));
        if (!lines.isEmpty()) { // still open
            QTRY_COMPARE_WITH_TIMEOUT(Fixture::listed(form), lines, 1000);
            QCOMPARE(QApplication::focusWidget()->objectName(), QString("startuplist"));
            return;
        }
        QTRY_VERIFY(!form);
        const QWidget* about = f.window->findChild<QWidget*>("AboutForm");
        QCOMPARE(about && about->isVisible(), keys.contains("menuhelp3"));
        QVERIFY(f.window->isVisible() && f.activate());
        QTRY_COMPARE(f.lines("reminderlist").value(0).left(20), QString("10/18/02   Fri\tOnce "));
        QCOMPARE(openHandles(f.path("startup.dat")), 0);
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
};

QTEST_MAIN(TestStartupList)
#include "test_startup_list.moc"
