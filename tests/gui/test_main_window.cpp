// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as a user meets it: start-up, size and exit, the lists, every command of
// every window, and the flows of New, Edit, Save, Cancel, Delete and the purge by key.
#include "gui_fixture.h"
#include "rows.h"

#include <QPushButton>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

// A list line: its head, the stored text in 55 columns, and what follows it.
QString line(const QString& head, const QString& text, const QString& tail = "") {
    return head + text.leftJustified(55) + tail;
}

const QString kChristmas = "Christmas Day|XY|12/25/2001";

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    // Each row: the file before ("": none, start-up writes Christmas), the steps, then the
    // file after ("=": unchanged), where the focus ends (an "is focus" step) and the messages
    // shown. Sunday 6 December 2037, month-first unless stored. The first failing row stops.
    void scenarios() {
        const auto row = [](const char* name, const QString& before, const QString& steps,
                            const QString& after, const char* focus,
                            const QStringList& messages = {}) {
            if (QTest::currentTestFailed())
                return;
            const auto named = nameFailures(name);
            WindowFixture f;
            if (!before.isEmpty())
                f.writeReminders({records(before)});
            f.run(steps + (*focus ? "; is focus " + QString(focus) : ""));
            if (!QTest::currentTestFailed())
                [&] {
                    QCOMPARE(f.reminderBytes(), records(after != "="       ? after
                                                        : before.isEmpty() ? kChristmas
                                                                           : before));
                    QCOMPARE(f.messages.shown.replaceInStrings(f.dir.path(), "<dir>"), messages);
                }();
        };
        const QString del = "Delete a Reminder: Do you want to delete the highlighted reminder?";
        const QString five = "One|XY|03/01/2001, Two|XY|03/01/2001, Three|XY|03/01/2001, "
                             "Four|XY|03/01/2001, Five|XY|03/01/2001";
        row("New and Save, day-first", "",
            "locale en_GB; F5; is editing yes; is selected ; file Christmas "
            "Day|XY|25/12/2001, |XO|12/06/2037; type " +
                QString(60, 'x') + "; is text " + QString(55, 'x') +
                "; focus Calendar2; focus txtreminder; is selected " + QString(45, 'x') +
                "; End; Shift+Home; type Dentist at nine; pick typelist 3; pick yearlist 1; "
                "date 2037-12-09; F6; is editing no; is count 2; is line1 " +
                line("09/12/37   Wed\tYearly \t", "Dentist at nine", " ... 0 years") +
                "; type zz; is text Dentist at nine",
            "Christmas Day|XY|25/12/2001, Dentist at nine|AY|09/12/2037", "reminderlist");
        row("New and Cancel, empty file", "",
            "F3; F9; is title Nudgewell -  0 saved; is label You have no reminders saved!; F5; "
            "file |XO|12/06/2037; type never mind; F8; is count 0; is current 1; F7; is editing no",
            "", "reminder", {del});
        row("New and Cancel: the rename fails, Cancel again", five,
            "F5; type never mind; fail Rename; F8; is editing yes; is count 6; F8; is count 5; "
            "is current 6; F7; is editing no",
            "=", "reminder", {"Nudgewell: The new reminder was not removed.\ninjected failure"});
        row("New and Cancel: the folder is not synced", five,
            "F5; fail SyncDirectory; F8; is count 5", "=", "reminder",
            {"Nudgewell: The new reminder was removed, but the folder could not be written to "
             "disk; a power cut now could bring it back.\ninjected failure"});
        // Cancel leaves the file, Save keeps the reserved bytes, a failed Save keeps the text.
        const QString piano = "Piano lesson|AW|12/01/2037|abc";
        row("Edit, Cancel, a failed Save, Save", piano,
            QString("F3; F7; is focus txtreminder; is states ok; is toolbar toolsave toolcancel "
                    "toolprint- toolsep7 toolshowweek- tooloptions toolhelp toolclose; is text "
                    "Piano lesson; is choices Weekly Yes; is date 2037-12-01; type Guitar; F8; "
                    "file %1; is text Piano lesson; is view all; F7; type Changed; fail Write; "
                    "F6; is editing yes; is text Changed; file %1; F8; F7; F6")
                .arg(piano),
            "=", "reminderlist2", {"Nudgewell: The reminder was not saved.\ninjected failure"});
        // A date the calendar cannot show opens on today; an unknown letter leaves the frequency.
        row("Edit dates before 1753 and unreadable", "Odd|XQ|99/99/0001, Old|XW|01/01/1700",
            "F3; row reminderlist2 1; F7; is choices Weekly No; is date 2037-12-06; F6; row "
            "reminderlist2 2; pick typelist 2; F7; is choices Monthly No; is date 2037-12-06; F6",
            "Odd|XM|12/06/2037, Old|XW|12/06/2037", "reminderlist2");
        row("Save after the order changed", "Xmas|XY|12/25/2037",
            "F3; F7; is choices Yearly No; F8; store Calendar Format=dd/mm; modal tooloptions; "
            "F7; is date 2037-12-25; F6",
            "Xmas|XY|25/12/2037", "reminderlist2");
        // B shares its text with A: the line's own record is taken, whatever the weekday names.
        const QString abc = "Same|XW|12/01/2037, Same|AW|12/02/2037, C|XW|12/03/2037";
        for (const char* locale : {"en_US", "fr_FR"})
            row(locale, abc,
                QString("locale ") + locale +
                    "; click reminderlist 2; dclick reminderlist 2; is editing yes; is choices "
                    "Weekly Yes; F8; row reminderlist 2; is current 2; answer no; F9; file " +
                    abc +
                    "; F9; file Same|XW|12/01/2037, C|XW|12/03/2037; F3; row reminderlist2 2; F9; "
                    "is current 1; F9; is count 0; is view none; is editing no",
                "", "reminder", {del, del, del, del});
        const QString purge = "Delete a Reminder: Do you want to delete old one-time reminders?";
        row("purge: past one-time ones; an unreadable date stays",
            "Yesterday|XO|12/05/2037, Today|XO|12/06/2037, Long ago|XO|12/06/2016, "
            "Yearly|XY|12/05/2016|zzz, Garbled|XO|not a date",
            "answer no; Ctrl+D; is count 5; Ctrl+D; is count 3",
            "Today|XO|12/06/2037, Yearly|XY|12/05/2016, Garbled|XO|not a date", "reminderlist",
            {purge, purge});
        const QString weekly = "Weekly one|XW|12/07/2037, Weekly two|XW|12/08/2037";
        row("Options while editing", weekly,
            "F5; type Brand new; modal tooloptions; is caption Options; is editing yes; F6; F5; "
            "type Other; modal tooloptions; is editing yes; F8",
            weekly + ", Brand new|XO|12/06/2037", "reminderlist");
        // Another program renames a new version over the file: shown with the highlight kept;
        // while the editor is open nothing moves, and Save keeps both.
        const QString mine = "A|XO|12/07/2037, B|XO|12/08/2037, C|XO|12/09/2037";
        const QString theirs = "Z|XO|12/06/2037, " + mine + ", D|XO|12/10/2037";
        row("another program's change", mine,
            QString("F3; row reminderlist2 2; replace %1; is lines 5; is row 3; is current 3; is "
                    "focus reminderlist2; F7; type B edited; replace %1, E|XO|12/11/2037; wait "
                    "300; is editing yes; is text B edited; F6; is lines 6; mark; wait 500; is "
                    "resets 0")
                .arg(theirs),
            "Z|XO|12/06/2037, A|XO|12/07/2037, B edited|XO|12/08/2037, C|XO|12/09/2037, "
            "D|XO|12/10/2037, E|XO|12/11/2037",
            "reminderlist2");
        // Keys belong to the list on show; the hidden list never moves the current record.
        row("F3 and F4", "Bins out|XW|12/07/2037, Anna's lesson|XW|12/08/2037, Choir|XW|12/09/2037",
            "is focus reminderlist; F3; is focus reminderlist2; Down; is row 2; is current 2; row "
            "reminderlist 3; is current 2; F9; is focus reminderlist2; F4; is focus reminderlist; "
            "Down; is current 2; F7; is text Choir; F8",
            "Bins out|XW|12/07/2037, Choir|XW|12/09/2037", "reminderlist", {del});
        // A first start stores the region's order; a stored one is never changed.
        for (const auto& [locale, format, date] :
             {std::tuple{"de_DE", "dd/mm", "25/12/2001, Dentist|XO|07/12/2037"},
              {"en_GB", "dd/mm", "25/12/2001, Dentist|XO|07/12/2037"},
              {"en_US", "mm/dd", "12/25/2001, Dentist|XO|12/07/2037"}})
            row(locale, "",
                QString("locale ") + locale + "; is format " + format +
                    "; F5; type Dentist; focus qt_calendar_calendarview; Right; is date "
                    "2037-12-07; F6; is lines 1; store Calendar Format=DD/MM; start; is format "
                    "DD/MM",
                QString("Christmas Day|XY|") + date, "reminderlist");
        row("the calendar takes no typed date but moves by year", "Bins out|XW|12/07/2037",
            "F7; focus qt_calendar_calendarview; type 03/14/1955; Return; is date 2037-12-07; "
            "Ctrl+PgUp; Ctrl+PgUp; Ctrl+PgUp; Ctrl+PgDown; PgUp; is date 2035-11-07; F6",
            "Bins out|XW|11/07/2035", "reminderlist");
        const QString tip = "is tip Characters that cannot be stored were left out.";
        row("the text box keeps what can be stored", "Swim|XW|12/07/2037",
            QString("store Days Checked=14; is lines 2; F7; Tab; click txtreminder; is selected "
                    "Swim; paste Tea\tat\nfive\r\n€ őkay 😀!; is text Tea at five  € kay !; %1; "
                    "hidetip; char ő; is text Tea at five  € kay !; %1; hidetip; char é; wait "
                    "100; is tip -; F6")
                .arg(tip),
            "Tea at five  € kay !é|XW|12/07/2037", "reminderlist");
        // Menus and toolbar show and allow what the state table says in every state (here upcoming
        // and empty; all with lines, editing and read-only in their rows); the toolbar as it
        // shows, a disabled button with "-".
        const QString tail = " toolsep7 %1 toolstartup toolcalendar toolsep12 tooloptions "
                             "toolsep14 toolhelp toolsep16 toolclose";
        row("state: upcoming, empty; Alt+R opens its menu at every press", "",
            "is label You have no upcoming reminders!; is states ok; is toolbar tooladd tooledit- "
            "tooldelete- toolprint-" +
                tail.arg("toolshowall") + "; " +
                QString("Alt+R; is popup menureminder1; Esc; Esc; is popup none; ").repeated(3),
            "=", "reminder");
        row("the toolbar's commands", "Swim|XW|12/07/2037",
            "trigger tooladd; is text ; trigger toolcancel; is count 1; trigger tooledit; is "
            "text Swim; trigger toolsave; is editing no; trigger toolprint; is printed 3; trigger "
            "toolshowall; is view all; trigger toolshowweek; is view upcoming; trigger tooldelete; "
            "is count 0",
            "", "reminder", {del});
        // A new date order is picked up on activation, also on return from another window.
        for (const auto& [name, via] :
             {std::pair{"About, all view", "F3; trigger menuhelpabout; activate"},
              {"Options", "modal menuoptions"},
              {"Calendar, closed", "trigger menuCalendar; close calendar; activate"}})
            row(name, "Dentist|XO|12/08/2037",
                QString("store Calendar Format=dd/mm; ") + via +
                    "; is datelabel Sunday 06/12/37; is line1 08/12/37   Tue\tOnce   \tDentist",
                "=", name[0] == 'A' ? "reminderlist2" : "reminderlist");
        // Secondary windows open once; About's Help and F1 ask for its topic, Esc and OK hide it
        // where it was left; Exit closes them all.
        row("other windows", "",
            "trigger menuhelpabout; trigger butAboutHelpR; F1; focus butAboutHelpR; F1; Esc; is "
            "windows ; is help 200 200 200; trigger menuhelpabout; trigger butAboutOKR; is windows "
            "; trigger menuhelpabout; trigger toolcalendar; trigger menuCalendar; trigger "
            "toolstartup; is windows AboutForm=About Nudgewell, calendar=Calendar, startup=Startup "
            "List; trigger menuclose; is windows ",
            "=", "none");
        // The help each command and F1 ask for (0: the contents).
        for (const auto& [name, steps, topics] :
             {std::tuple{"help commands",
                         "trigger helponreminders; trigger helpusingreminders; trigger toolhelp; "
                         "focus reminderlist; F1; focus reminder; F1; F3; focus reminderlist2; F1",
                         "0 201 201 200 200 200"},
              {"F1 in the editor",
               "F7; focus txtreminder; F1; focus typelist; F1; focus yearlist; F1; focus "
               "Calendar2; F1; title menureminder2; Down; F1",
               "202 202 202 200 202"},
              {"F1 in the menus",
               "title menureminder1; F1; Alt+F; F1; Alt+F; Down; F1; Alt+F; Down; Down; Down; F1; "
               "Alt+R; Down; F1; Alt+H; Down; Down; F1",
               "202 200 206 205 202 201"}})
            row(name, "Swim|XW|12/07/2026", QString(steps) + "; is help " + topics, "=", "");
        // The lines of each view, in order, and its caption; an empty one says so.
        const QString broken = ", Broken|AW|31/31/2001"; // listed as stored but never occurs
        row("all, sorted by the whole line",
            "zebra crossing|XW|12/25/2001, Anniversary|AY|01/03/1990, odd code|XQ|02/14/2003" +
                broken,
            "F3; is title Nudgewell -  4 saved; is list " +
                QStringList{line("01/03/90   Wed\tYearly \t", "Anniversary", " ... 47 years"),
                            line("02/14/03   Fri\tQ\t", "odd code"),
                            line("12/25/01   Tue\tWeekly \t", "zebra crossing"),
                            line("31/31/2001      \tWeekly \t", "Broken")}
                    .join(" | ") +
                "; is current 2; is text Anniversary; is states ok; is toolbar tooladd tooledit "
                "tooldelete toolprint" +
                tail.arg("toolshowweek"),
            "=", "reminderlist2");
        row("upcoming, by day then file order",
            "Bins out|XW|11/30/2037, Pay rent|XM|01/07/2020, Today only|XO|12/06/2037" + broken,
            "is title Nudgewell; is list " +
                QStringList{line("12/06/37   Sun\tOnce   \t", "Today only"),
                            line("12/07/37   Mon\tWeekly \t", "Bins out"),
                            line("12/07/37   Mon\tMonthly\t", "Pay rent")}
                    .join(" | ") +
                "; is current 3",
            "=", "reminderlist");
        // reminder.dat opens for reading only (startup.dat opens first): nothing writes it, and
        // the Reminder menu allows nothing, though there are lines to edit.
        row("state: read-only, all", kChristmas,
            "fail Open 2; F3; is states ok; is allowed ; is toolbar tooladd- tooledit- tooldelete- "
            "toolprint" +
                tail.arg("toolshowweek"),
            "=", "reminderlist2",
            {"Nudgewell: <dir>/reminder.dat can only be read. Nudgewell shows its reminders, "
             "but changes cannot be saved.\ninjected failure"});
        // A first start writes Christmas and its start, 8900 x 5655 twips in the middle of the
        // screen; the size is stored at exit and used by the next start, which appends its own.
        for (const auto& [name, format, exit, today] :
             {std::tuple{"month-first, F12", "", "F12", "12/06/2037"},
              {"DD/MM is not day-first, toolbar", "DD/MM", "trigger toolclose", "12/06/2037"},
              {"day-first, close box", "dd/mm", "close reminder", "06/12/2037"}})
            row(name, "",
                QString("store Calendar Format=%1; is startup %2; is days 6; is datelabel Sunday "
                        "%3; is size 8900 5655; is centred yes; resize 9600 6000; is size 9600 "
                        "6000; %4; is shown no; is stored 6000 9600; clock 2037-12-07T21:05:00; "
                        "start; is size 9600 6000; is startup %2%5")
                    .arg(QString(format), QString(today) + "10:30:15_AM_",
                         QString(today).left(6) + "37", QString(exit),
                         QString(today).replace("06", "07") + "9:05:00_PM__"),
                today[0] == '0' ? "Christmas Day|XY|25/12/2001" : "=", "reminder");
        // Too small a window is put right, with one message without an icon (0), also on its
        // return from minimised; a maximised one leaves the lists as they were.
        const QStringList small = {"Nudgewell: Error Handler 20. You cannot resize this program "
                                   "so small. Nudgewell will now resize itself to a proper size!"};
        row("made too small by the user", "",
            "is messages 0; resize 8900 1800; is size 8940 5655; is icon 0; is lists fit; mark; "
            "maximise; is state maximised; is lists kept",
            "=", "", small);
        row("too small, restored from minimised", "",
            "store Minimize=1;Height=1000;Width=9000; is state minimised; is messages 0; restore; "
            "is size 8940 5655; is lists fit",
            "=", "", small);
        // Every date and weekday ends before the frequency column, and a row is wide enough
        // for the years after 55 wide letters, whatever the weekday names.
        for (const char* locale : {"en_US", "de_DE", "fr_FR"})
            row(qPrintable(QString("fits, ") + locale),
                QString(55, 'W') + "|AW|12/07/1937, iiii|XM|12/11/2030",
                QString("locale ") + locale + "; F3; is fits yes", "=", "reminderlist2");
        row("reminder.dat will not open", "", "fail Open 2; start", "", "",
            {"Nudgewell: Nudgewell cannot open its reminder file and will now close.\n"
             "injected failure"});
        row("startup.dat cannot be written", "", "fail Write; start", "=", "",
            {"Nudgewell: This start could not be added to the start-up list.\ninjected failure"});
    }

    // Every command of every window as the user meets it at start, window by window: each menu
    // and its items as "caption|shortcut|help topic" (whether each shows and is allowed, the
    // scenarios check against the state table), each toolbar button by its spoken name
    // ("|tooltip" when another), "-" a separator; then the About and editor captions. And what
    // holds for all of them: a caption and a name, mnemonics unique in a menu and in the bar,
    // shortcuts unique in a window, help topics that exist, a picture of its own for each button.
    void everyCommandOfEveryWindow() {
        WindowFixture f;
        f.run("trigger menuCalendar; trigger menustartup; trigger menuhelpabout");
        const QByteArray topics = '\n' + readFile(NUDGEWELL_HELP_TOPICS);
        QStringList seen;
        for (const QString name : {"reminder", "calendar", "startup"}) {
            const auto* window = qobject_cast<QMainWindow*>(
                name == "reminder" ? f.window.get() : f.find<QWidget>(name));
            seen << "[" + name + "]";
            // Mnemonics unique in each menu and in the bar, shortcuts in the window.
            QList<QStringList> unique = {{}, {}};
            for (QAction* title : window->menuBar()->actions()) {
                QStringList& mnemonics = unique.emplace_back();
                for (QAction* a : QList<QAction*>{title} + title->menu()->actions()) {
                    if (a->isSeparator())
                        continue;
                    const QObject* owner = a == title ? title->menu() : static_cast<QObject*>(a);
                    const int topic = owner->property("helpTopic").toInt();
                    seen << QString("%1|%2|%3").arg(a->text(), a->shortcut().toString()).arg(topic);
                    QVERIFY2(
                        !a->text().isEmpty() && !owner->objectName().isEmpty() &&
                            (topic == 0 || topics.contains('\n' + QByteArray::number(topic) + ' ')),
                        qPrintable(name + "/" + owner->objectName()));
                    const qsizetype amp = a->text().indexOf('&');
                    if (a->isVisible() && amp >= 0)
                        (a == title ? unique[0] : mnemonics) << a->text().at(amp + 1).toLower();
                    if (!a->shortcut().isEmpty())
                        unique[1] << a->shortcut().toString();
                }
            }
            for (QStringList keys : unique)
                QVERIFY2(keys.removeDuplicates() == 0,
                         qPrintable(name + " repeats one of " + keys.join(' ')));
            const auto* bar = window->findChild<QToolBar*>("Toolbar1");
            QList<QImage> images;
            for (QAction* a : bar->actions()) {
                const QWidget* button = bar->widgetForAction(a);
                const QString spoken = a->isSeparator() ? "-" : button->accessibleName();
                seen << spoken + (a->isSeparator() || button->toolTip() == spoken
                                      ? ""
                                      : "|" + button->toolTip());
                const QImage image = a->icon().pixmap(24).toImage();
                QVERIFY2(a->isSeparator() || (!image.isNull() && !images.contains(image)),
                         qPrintable(a->objectName()));
                images << image;
            }
        }
        auto* about = f.find<QWidget>("AboutForm");
        seen << "[About] " + about->findChild<QLabel*>("lblProductName")->text();
        for (const QPushButton* button : about->findChildren<QPushButton*>())
            seen << button->text();
        seen << "[editor]";
        for (const QLabel* label : f.find<QWidget>("Frame1")->findChildren<QLabel*>())
            seen << label->text();
        for (const QComboBox* box : f.find<QWidget>("Frame1")->findChildren<QComboBox*>())
            for (int i = 0; i < box->count(); ++i)
                seen << box->itemText(i);

        QCOMPARE(seen.join(", "),
                 QString("[reminder], &File||200, Calenda&r|Ctrl+R|0, &Startup List|F2|206, Show "
                         "&All|F3|202, Show &Upcoming|F4|202, &Options|F11|205, &Print "
                         "Reminders|Ctrl+P|202, E&xit|F12|200, &Reminder||202, &New|F5|202, "
                         "&Edit|F7|202, &Delete|F9|202, Delete &Old Reminders|Ctrl+D|202, "
                         "Reminder||0, &Save|F6|202, &Cancel|F8|202, &Help||200, Help "
                         "&Topics||200, &Using Nudgewell       F1||201, &About Nudgewell||201, "
                         "New|, Edit|, Delete|, Save|, Cancel|, Print Reminders|, -, Show All|, "
                         "Show Upcoming|, Startup List|, Calendar|, -, Options|, -, Help|, -, "
                         "Exit|, [calendar], &File||210, Cop&y date to the clipboard|Ctrl+Y|211, "
                         "Change the computer's &date|Ctrl+D|210, Go to &Today|Ctrl+T|210, "
                         "Clo&se|F12|210, &Help||210, &Help Topics||200, Help on &Calendar    "
                         "F1||210, Copy Date, -, Change Date, -, Calendar Help, -, Close Calendar, "
                         "[startup], &File||206, &Delete Old Dates|F9|206, &Close|F12|206, "
                         "&Help||206, Help &Topics||206, &Using the Startup List      F1||206, "
                         "&About Nudgewell||206, Delete Old Startup Dates, -, Help Using Startup "
                         "List, -, Close Startup List, [About] Nudgewell 5.0, &OK, &Help, "
                         "[editor], Reminder:, Frequency:, Show years?, Once, Weekly, Monthly, "
                         "Yearly, No, Yes"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
