// SPDX-License-Identifier: GPL-3.0-or-later
// The calendar, the Options dialog and the Startup List, each driven by key scripts: what they
// show, store and say, their commands by key, and where they open.
#include "calendar/calendar_form.h"
#include "key_script.h"
#include "options/options_form.h"
#include "startup/startup_form.h"

#include <QCalendarWidget>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>
#include <QTableView>
#include <QToolButton>

#include <tuple>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

const QDate kToday(2002, 3, 20);

// Today pinned to a Wednesday in 2002; the calendar open.
struct CalendarFixture : WindowFixture {
    CalendarFixture() : WindowFixture(kToday) {
        start();
        window->menuCalendar_Click();
        form = window->findChild<CalendarForm*>();
    }
    QCalendarWidget* calendar() const { return form->findChild<QCalendarWidget*>("Calendar1"); }
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
};

// The three settings the Options dialog keeps, as "Days Checked|Minimize|Calendar Format" in its
// table, "-" for a missing one.
const QStringList kKeys = {keys::DaysChecked, keys::Minimize, keys::CalendarFormat};

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

} // namespace

class TestWindows : public QObject {
    Q_OBJECT

private slots:
    void opensOnceAtItsCorner() {
        CalendarFixture f;
        QVERIFY(f.form && activeSoon(f.form));
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
    // "click:N" clicks it, "year" clicks the year to edit it, "tool:" clicks a toolbar button,
    // "away:" goes to the main window or a box of the calendar's own and back, "no" answers the
    // next question No and "refuse" has the computer refuse its date.
    void calendar() {
        // name, keys, the day picked after (0 once closed), help, said, copied, requests to set
        // the computer's date
        using Row = std::tuple<const char*, QString, int, QList<int>, QString, QString, int>;
        const QString ask = "Change Computer Date: Do you want to change the date of the "
                            "computer to \rMonday, March 4, 2002?";
        const QString refused = ask + "|Nudgewell: The computer's date was not changed.\nNot now.";
        const Row rows[] = {
            // The copy rules are the core's; each way of asking copies the picked or clicked day.
            {"copy by menu", "pick:17,year,Alt+F,Y", 17, {}, {}, "3/17/02", 0},
            {"copy by cm1", "pick:17,tool:cm1", 17, {}, {}, "3/17/02", 0},
            {"copy a clicked day", "click:17", 17, {}, {}, "3/17/02", 0},
            {"change date, No", "pick:4,no,Ctrl+D", 4, {}, ask, "", 0},
            // The fake clock stays put, so the new today is still the 20th.
            {"change date, Yes", "pick:4,Ctrl+D", 20, {}, ask, "", 1},
            {"change date, refused", "pick:4,refuse,Ctrl+D", 4, {}, refused, "", 1},
            {"Ctrl+T", "pick:1,Ctrl+T", 20, {}, "", "", 0},
            // F1 in an open menu gives the keyboard back to the window, not to the menu bar.
            {"F1 on the calendar", "pick:1,F1", 1, {209}, "", "", 0},
            {"Help on Calendar", "pick:1,Alt+H,C", 1, {209}, "", "", 0},
            {"Help Topics", "pick:1,Alt+H,H", 1, {0}, "", "", 0},
            {"F1 on Copy", "pick:1,Alt+F,F1", 1, {211}, "", "", 0},
            {"cm3", "pick:1,tool:cm3", 1, {209}, "", "", 0},
            // Activation shows today, but not back from the calendar's own question and error
            // boxes.
            {"back from the main window", "pick:1,away:main", 20, {}, "", "", 0},
            {"back from a box of its own", "pick:1,away:box", 1, {}, "", "", 0},
            {"F12", "F12", 0, {}, "", "", 0},
            {"cm4", "tool:cm4", 0, {}, "", "", 0},
        };
        for (const auto& [name, keys, picked, help, said, copied, set] : rows) {
            const auto named = nameFailures(name);
            CalendarFixture f;
            QVERIFY(f.form && activeSoon(f.form));
            // No part in a date handed over as a number; the copy in the short form.
            f.store("Calendar Format=dd/mm;Copy Date=yes;Short Date=yes");
            runScript(keys, f.form,
                      {{"pick",
                        [&](const QString& day) {
                            f.calendar()->setSelectedDate(QDate(2002, 3, day.toInt()));
                        }},
                       {"click", [&](const QString& day) { f.clickDay(day.toInt()); }},
                       {"year",
                        [&](const QString&) {
                            QTest::mouseClick(
                                f.calendar()->findChild<QToolButton*>("qt_calendar_yearbutton"),
                                Qt::LeftButton);
                        }},
                       {"tool",
                        [&](const QString& key) {
                            QTest::mouseClick(f.form->findChild<QToolBar*>()->widgetForAction(
                                                  f.form->findChild<QAction*>(key)),
                                              Qt::LeftButton);
                        }},
                       {"away",
                        [&](const QString& to) { // a window of ours, then back
                            QDialog box(f.form);
                            box.setModal(true);
                            QWidget* other =
                                to == "main" ? static_cast<QWidget*>(f.window.get()) : &box;
                            other->show();
                            QVERIFY(activeSoon(other));
                            box.hide();
                            QVERIFY(activeSoon(f.form));
                        }},
                       {"no", [&](const QString&) { f.messages.answers = {false}; }},
                       {"refuse", [&](const QString&) { f.systemDate.refusal = "Not now."; }}});
            QVERIFY(!QApplication::activePopupWidget());
            QCOMPARE(f.help.requests, help);
            QCOMPARE(f.messages.shown.join('|'), said);
            QCOMPARE(f.clipboard.text(), copied);
            QCOMPARE(f.systemDate.requests,
                     QList<QDateTime>(set, QDateTime(QDate(2002, 3, 4), QTime(10, 30, 15))));
            QTRY_COMPARE(f.form.isNull(), picked == 0);
            if (picked) {
                QTRY_COMPARE(f.calendar()->selectedDate(), QDate(2002, 3, picked));
                QCOMPARE(f.form->findChild<QLabel*>("lbldatedisplay2")->text(),
                         QString("Wednesday, March 20, 2002"));
                QVERIFY(f.calendar()->hasFocus());
            }
        }
    }

    // Each row stores its settings, opens the dialog and types its keys, "close" clicking the
    // close box and "unwritable" making the settings file a folder.
    void options() {
        // name, before (as kKeys, "-" storing nothing), keys, after, help, open
        using Row = std::tuple<const char*, QString, QString, const char*, QList<int>, bool>;
        // 9 days and day-first picked, then one key.
        const QString pick = "Tab,9,Tab,Down,";
        // Tab reaches the pair of date formats on the chosen one and leaves from there, round
        // the three buttons back to the first control; the arrows change the choice.
        const QList<int> topics = {206, 207, 208, 208, 205, 205, 205, 206};
        const QString round = "F1,Tab,F1,Tab,F1,%1,F1,Tab,F1,Tab,F1,Tab,F1,Tab,F1,Return";
        const Row rows[] = {
            {"nothing stored, saved", "-|-|-", "Return", "6|0|mm/dd", {}, false},
            {"dd/mm, minimised", "15|1|dd/mm", "Return", "15|1|dd/mm", {}, false},
            // Only "1" is minimised and only "dd/mm" day-first; a number the list does not
            // offer shows as 6, and only Save replaces it.
            {"odd values, saved", "40|yes|DD/MM", "Return", "6|0|mm/dd", {}, false},
            {"odd values, cancelled", "abc|yes|DD/MM", "Alt+C", "abc|0|DD/MM", {}, false},
            {"Esc asks for help", "-|-|-", pick + "Esc", "6|0|-", {205}, true},
            {"Enter saves", "-|-|-", pick + "Return", "9|0|dd/mm", {}, false},
            {"Alt+S saves", "-|-|-", pick + "Alt+S", "9|0|dd/mm", {}, false},
            {"Alt+C cancels", "-|-|-", pick + "Alt+C", "6|0|-", {}, false},
            {"Alt+H asks for help", "-|-|-", pick + "Alt+H", "6|0|-", {205}, true},
            {"close box saves nothing", "-|-|-", pick + "close", "6|0|-", {}, false},
            // Enter says so when the settings cannot be written, and the dialog stays.
            {"unwritable settings", "-|-|-", "unwritable," + pick + "Return", "6|0|-", {}, true},
            {"Tab round, Down", "-|-|mm/dd", round.arg("Down"), "6|0|dd/mm", topics, false},
            {"Tab round, Up", "-|-|dd/mm", round.arg("Up"), "6|0|mm/dd", topics, false},
        };
        for (const auto& [name, before, keys, after, help, open] : rows) {
            const auto named = nameFailures(name);
            WindowFixture f;
            for (int i = 0; i < kKeys.size(); ++i)
                if (before.section('|', i, i) != "-")
                    f.settings.save(kKeys[i], before.section('|', i, i));
            OptionsForm form(f.settings, f.messages, f.help, nullptr);
            form.show();
            QVERIFY(QTest::qWaitForWindowActive(&form));
            runScript(keys, &form,
                      {{"close", [&](const QString&) { form.close(); }},
                       {"unwritable", [&](const QString&) {
                            QVERIFY(QFile::remove(f.settings.fileName()) &&
                                    QDir().mkdir(f.settings.fileName()));
                        }}});
            // A mnemonic presses its button with a short animation.
            QTRY_COMPARE(f.help.requests, help);
            QTRY_COMPARE(form.isVisible(), open);
            QStringList stored;
            for (const QString& key : kKeys)
                stored << (f.settings.get(key).isEmpty() ? "-" : f.settings.get(key));
            QCOMPARE(stored.join('|'), after);
            QCOMPARE(f.messages.shown.size(), open && help.isEmpty() ? 1 : 0);
        }
    }

    // 12 days and day-first, picked by key inside F11, reach the main window's list and label.
    void saveReachesTheMainWindow() {
        WindowFixture f(QDate(2002, 10, 17));
        // One one-time reminder a day, from the day before today to 20 days ahead.
        QList<QByteArray> records;
        for (int offset = -1; offset <= 20; ++offset)
            records << recordBytes("Day", 'X', 'O',
                                   QDate(2002, 10, 17).addDays(offset).toString("MM/dd/yyyy"));
        f.writeReminders(records);
        f.start();
        QTimer::singleShot(0, [&] {
            // The keys go to the dialog once it has the focus, however slow the machine.
            // Without it within 5 s nothing is typed, and the checks below fail.
            if (!QTest::qWaitFor([] {
                    const QWidget* modal = QApplication::activeModalWidget();
                    return modal && modal->isActiveWindow() &&
                           modal->isAncestorOf(QApplication::focusWidget());
                }))
                return;
            // From Check1 to the list's top, 11 down, then the other date order.
            runScript("Tab,Home," + QString("Down,").repeated(11) + "Tab,Down,Return",
                      QApplication::activeModalWidget(), {});
            // Should Enter not close it, the close box does, and the checks below fail.
            QTimer::singleShot(500, [] { closeModalSoon(); });
        });
        f.press(Qt::Key_F11);
        QVERIFY(f.activate());
        QTRY_COMPARE(f.find<QLabel>("lblShowDate2")->text(), QString("17/10/02"));
        QTRY_COMPARE(f.lines("reminderlist").size(), 13);
        QCOMPARE(f.lines("reminderlist").first().left(8), QString("17/10/02"));
        QCOMPARE(f.lines("reminderlist").last().left(8), QString("29/10/02"));
        QCOMPARE(f.settings.get(keys::DaysChecked), QString("12"));
    }

    // Each row opens the list on its log and types its keys: "fail:" fails a disk step from
    // the start, "no" answers the question No, "append:" is another program adding a start,
    // "act:" triggers an action, "main" is F2 from the main window, "close" is the close box. The
    // messages say "?" for the question and "%1" for the log's name.
    void startupList() {
        // name, log, keys, the log after, the lines listed (none once closed), said, help
        using Row = std::tuple<const char*, QByteArray, QString, QByteArray, QStringList, QString,
                               QList<int>>;
        QList<Row> rows;
        const QByteArray last = kThree.right(22);
        const QStringList purged = {" 10/17/02    10:30 am    Thursday\t1"};
        const auto row = [&](const char* name, const QByteArray& log, const char* keys,
                             const QByteArray& after, const QStringList& lines,
                             const QString& said = "", const QList<int>& help = {}) {
            rows.append({name, log, keys, after, lines, said, help});
        };
        row("No changes nothing", kThree, "no,F9", kThree, kThreeLines, "?");
        row("Yes keeps the last start", kThree, "F9", last, purged, "?");
        // 3.5 records count as 4: the torn fourth is the last, padded to a whole record.
        // Rows are sized by the shape of their line: lines wider than the first (whose time
        // cannot be read) must still show whole.
        const QByteArray garbage = kThree + "10/17/2002garbage     ";
        row("a time that cannot be read", garbage, "", garbage,
            QStringList{" 10/17/2002    garbage    Thursday\t4"} + kThreeLines);
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
        // The toolbar's topic, the menu's, the contents, F1 on the list and on a menu item.
        // Keys compare exactly; About is the main window's one About window.
        row("help", kThree, "act:toolhelp,act:menuhelp2,act:menuhelp1,F1,Alt+H,F1,key:ToolDelete",
            kThree, kThreeLines, "", {206, 210, 0, 210, 206});
        row("F2 again brings it back", kThree, "main", kThree, kThreeLines);
        // Closed, it frees the log, and the main window shows what changed meanwhile.
        row("closed by F12", kThree, "act:menuhelp3,F12", kThree, {});
        row("closed by toolclose", kThree, "act:toolclose", kThree, {});
        row("closed by the close box", kThree, "close", kThree, {});
        for (const auto& [name, log, keys, after, lines, said, help] : rows) {
            const auto named = nameFailures(name);
            WindowFixture f(QDate(2002, 10, 17));
            f.start();
            writeFile(f.path("startup.dat"), log);
            writeFile(f.path("startup.tmp"), "stale");
            if (keys.startsWith("fail:"))
                f.run("fail " + keys.section(',', 0, 0).section(':', 1));
            f.press(Qt::Key_F2);
            const QPointer<StartupForm> form = f.window->findChild<StartupForm*>();
            // The style lets a child window pass for active while its parent is; wait for the form.
            QVERIFY(form && QTest::qWaitFor([&] { return QApplication::activeWindow() == form; }));
            QCOMPARE(form->pos(), f.window->pos());
            QCOMPARE(openHandles(f.path("startup.dat")), 1);
            const bool opened = f.files.failAt != FailingFileSystem::Step::Open;
            for (const char* action : {"menudelete", "tooldelete"})
                QCOMPARE(form->findChild<QAction*>(action)->isEnabled(), opened);
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
                 {"main",
                  [&](const QString&) { // F2 from the main window
                      f.press(Qt::Key_F2);
                      QTRY_COMPARE(QApplication::activeWindow(), form.data());
                      QCOMPARE(f.window->findChildren<StartupForm*>().size(), 1);
                  }},
                 {"close", [&](const QString&) { form->close(); }}});
            QCOMPARE(f.messages.shown.join('|'),
                     QString(said).replace("?", kQuestion).replace("%1", f.path("startup.dat")));
            QCOMPARE(f.help.requests, help);
            QCOMPARE(readFile(f.path("startup.dat")), after);
            QCOMPARE(QFile::exists(f.path("startup.tmp")),
                     !opened || !said.startsWith("?") || keys.startsWith("no"));
            // Still open, and no line cut off in a window narrower than them.
            if (!lines.isEmpty()) {
                QTRY_COMPARE_WITH_TIMEOUT(f.lines("startuplist"), lines, 1000);
                QCOMPARE(QApplication::focusWidget()->objectName(), QString("startuplist"));
                auto* list = form->findChild<QListWidget*>("startuplist");
                form->resize(80, form->height());
                QApplication::processEvents();
                const int reach =
                    list->horizontalScrollBar()->maximum() + list->viewport()->width();
                for (int row = 0; row < list->count(); ++row)
                    QVERIFY(reach >= list->sizeHintForIndex(list->model()->index(row, 0)).width());
                continue;
            }
            QTRY_VERIFY(!form);
            const QWidget* about = f.window->findChild<QWidget*>("AboutForm");
            QCOMPARE(about && about->isVisible(), keys.contains("menuhelp3"));
            QVERIFY(f.window->isVisible() && f.activate());
            QTRY_COMPARE(f.lines("reminderlist").value(0).left(20),
                         QString("10/18/02   Fri\tOnce "));
            QCOMPARE(openHandles(f.path("startup.dat")), 0);
        }
    }
};

QTEST_MAIN(TestWindows)
#include "test_windows.moc"
