// SPDX-License-Identifier: GPL-3.0-or-later
// New, Edit, Save, Cancel, Delete and the purge, driven by key as a user would.
#include "gui_fixture.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTextCharFormat>

#include <cstdio>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

// The browsing and editing states: the menus and the toolbar, with the view button of the view
// that shows and Edit, Delete and Print off when it has no lines; the edit panel and the lists.
void checkState(const WindowFixture& f, bool editing, const QString& view = "toolshowall",
                bool lines = true) {
    QCOMPARE(f.shown({"menufileAction", "menureminder1Action", "menureminder2Action",
                      "menuhelpAction"}) +
                 " " + f.toolbar(),
             editing ? QString("menufileAction- menureminder2Action menuhelpAction toolsave "
                               "toolcancel toolprint- toolsep7 %1- tooloptions toolhelp toolclose")
                           .arg(view)
                     : QString("menufileAction menureminder1Action menuhelpAction tooladd "
                               "tooledit%1 tooldelete%1 toolprint%1 toolsep7 %2 toolstartup "
                               "toolcalendar toolsep12 tooloptions toolsep14 toolhelp toolsep16 "
                               "toolclose")
                           .arg(lines ? "" : "-", view));
    QCOMPARE(f.find<QFrame>("Frame1")->isVisible(), editing);
    if (editing)
        QVERIFY(!f.find<QListView>("reminderlist")->isVisible() &&
                !f.find<QListView>("reminderlist2")->isVisible());
}

} // namespace

class TestEditor : public QObject {
    Q_OBJECT

private slots:
    void newThenSave() {
        WindowFixture f(QDate(2037, 12, 6), QLocale(QLocale::English, QLocale::UnitedKingdom));
        f.settings.save("Calendar Format", "dd/mm");
        f.start();
        const QByteArray before = f.reminderBytes();
        // The placeholder is on disk at once, month-first whatever the order.
        QCOMPARE(f.press(Qt::Key_F5), before + recordBytes("", 'X', 'O', "12/06/2037"));
        checkState(f, true);
        QStringList texts;
        for (const QLabel* label : f.find<QFrame>("Frame1")->findChildren<QLabel*>())
            texts << label->text();
        for (const QComboBox* box : f.find<QFrame>("Frame1")->findChildren<QComboBox*>())
            for (int i = 0; i < box->count(); ++i)
                texts << box->itemText(i);
        QCOMPARE(texts.join('|'), QString("Reminder:|Frequency:|Show years?|Once|Weekly|Monthly|"
                                          "Yearly|No|Yes"));
        auto* calendar = f.find<QCalendarWidget>("Calendar2");
        QCOMPARE(calendar->minimumDate(), QDate(1753, 1, 1));

        // 55 characters at most.
        auto* text = f.find<QLineEdit>("txtreminder");
        f.type(QString(60, 'x'));
        QCOMPARE(text->text().size(), 55);
        // Red day numbers while the calendar has the focus, blue after; the text box selects 45.
        text->setText("z" + QString(49, 'y'));
        calendar->setFocus();
        QTRY_COMPARE(calendar->weekdayTextFormat(Qt::Monday).foreground().color(),
                     QColor(255, 0, 0));
        text->setFocus();
        QTRY_VERIFY(text->hasFocus());
        QCOMPARE(text->selectedText(), "z" + QString(44, 'y'));
        QCOMPARE(calendar->weekdayTextFormat(Qt::Sunday).foreground().color(), QColor(0, 0, 255));

        text->clear();
        f.type("Dentist at nine");
        f.find<QComboBox>("typelist")->setCurrentIndex(3);
        f.find<QComboBox>("yearlist")->setCurrentIndex(1);
        calendar->setSelectedDate(QDate(2037, 12, 9));
        QCOMPARE(f.press(Qt::Key_F6),
                 before + recordBytes("Dentist at nine", 'A', 'Y', "09/12/2037"));
        checkState(f, false);
        QCOMPARE(f.window->recordCount(), 2);
        QVERIFY(f.lines("reminderlist")
                    .value(0)
                    .startsWith("09/12/37   Wed\tYearly \tDentist at nine"));
        // Keys typed after Save belong to the list, not to the hidden text box.
        QCOMPARE(QApplication::focusWidget(), f.find<QWidget>("reminderlist"));
        f.type("zz");
        QCOMPARE(text->text(), QString("Dentist at nine"));
    }

    void newThenCancelRemovesOnlyThePlaceholder_data() {
        using Step = FailingFileSystem::Step;
        QTest::addColumn<QList<QByteArray>>("records");
        QTest::addColumn<Step>("failAt"); // a disk step of the first Cancel's rewrite that fails
        QTest::newRow("empty file") << QList<QByteArray>() << Step::None;
        QList<QByteArray> five; // 350 bytes, none of them in the week after 6 December 2037
        for (const char* text : {"One", "Two", "Three", "Four", "Five"})
            five << recordBytes(text, 'X', 'Y', "03/01/2001");
        QTest::newRow("five records") << five << Step::None;
        QTest::newRow("rename fails: the editor stays, Cancel again") << five << Step::Rename;
        QTest::newRow("folder not synced: said, and done") << five << Step::SyncDirectory;
    }

    void newThenCancelRemovesOnlyThePlaceholder() {
        QFETCH(QList<QByteArray>, records);
        QFETCH(FailingFileSystem::Step, failAt);
        WindowFixture f;
        f.writeReminders(records);
        f.start();
        if (records.isEmpty()) // start-up seeds an empty file; empty it again
            f.window->DeleteSelected();
        const QByteArray before = f.reminderBytes();
        const QByteArray placeholder = f.press(Qt::Key_F5);
        QCOMPARE(placeholder.size(), before.size() + 70);
        f.type("never mind");
        f.files.failAt = failAt;
        if (failAt == FailingFileSystem::Step::Rename) {
            QCOMPARE(f.press(Qt::Key_F8), placeholder);
            QVERIFY(f.window->isEditing());
            QCOMPARE(f.window->recordCount(), int(records.size()) + 1);
            QCOMPARE(f.messages.last(),
                     QString("Nudgewell: The new reminder was not removed.\ninjected failure"));
        }
        QCOMPARE(f.press(Qt::Key_F8), before);
        if (failAt == FailingFileSystem::Step::SyncDirectory)
            QCOMPARE(f.messages.last(),
                     QString("Nudgewell: The new reminder was removed, but the folder could not "
                             "be written to disk; a power cut now could bring it back.\n"
                             "injected failure"));
        QCOMPARE(f.window->recordCount(), int(records.size()));
        QCOMPARE(f.window->currentRecord(), int(records.size()) + 1);
        f.press(Qt::Key_F7); // the cancelled record is gone: nothing to edit
        QVERIFY(!f.window->isEditing());
        checkState(f, false, "toolshowall", false);
    }

    void editThenCancelLeavesTheFile_data() {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QString>("choices");
        QTest::addColumn<QDate>("calendar");
        QTest::addColumn<QString>("format"); // in force at the Save after the Cancel
        QTest::addColumn<QByteArray>("saved");
        const QByteArray piano = recordBytes("Piano lesson", 'A', 'W', "12/01/2037", "abc");
        QTest::newRow("Save keeps the reserved bytes")
            << piano << "Weekly Yes" << QDate(2037, 12, 1) << "" << piano;
        // A date the calendar cannot show opens on today; an unknown letter leaves the frequency.
        QTest::newRow("unreadable date")
            << recordBytes("Odd", 'X', 'Q', "99/99/0001") << "Monthly No" << QDate(2037, 12, 6)
            << "" << recordBytes("Odd", 'X', 'M', "12/06/2037");
        QTest::newRow("before 1753")
            << recordBytes("Old", 'X', 'W', "01/01/1700") << "Weekly No" << QDate(2037, 12, 6) << ""
            << recordBytes("Old", 'X', 'W', "12/06/2037");
        QTest::newRow("Save after the order changed")
            << recordBytes("Xmas", 'X', 'Y', "12/25/2037") << "Yearly No" << QDate(2037, 12, 25)
            << "dd/mm" << recordBytes("Xmas", 'X', 'Y', "25/12/2037");
    }

    void editThenCancelLeavesTheFile() {
        QFETCH(QByteArray, record);
        WindowFixture f;
        f.writeReminders({record});
        f.start();
        f.press(Qt::Key_F3); // the all view, which comes back after Cancel
        f.find<QComboBox>("typelist")->setCurrentIndex(2);
        f.press(Qt::Key_F7);
        checkState(f, true, "toolshowweek");
        auto* text = f.find<QLineEdit>("txtreminder");
        QCOMPARE(text->text().toLatin1().leftJustified(55), record.left(55));
        QTEST(f.find<QComboBox>("typelist")->currentText() + " " +
                  f.find<QComboBox>("yearlist")->currentText(),
              "choices");
        QTEST(f.find<QCalendarWidget>("Calendar2")->selectedDate(), "calendar");
        f.type("Guitar");
        QCOMPARE(f.press(Qt::Key_F8), record);
        QCOMPARE(text->text().toLatin1().leftJustified(55), record.left(55));
        checkState(f, false, "toolshowweek");
        QVERIFY(f.find<QListView>("reminderlist2")->isVisible());
        QFETCH(QString, format);
        f.settings.save("Calendar Format", format);
        f.window->handleActivation();
        f.press(Qt::Key_F7);
        f.type("Changed"); // a failed Save keeps the editor open with the text typed
        f.files.failAt = FailingFileSystem::Step::Write;
        QCOMPARE(f.press(Qt::Key_F6), record);
        QVERIFY(f.window->isEditing());
        QCOMPARE(text->text(), QString("Changed"));
        QCOMPARE(f.messages.last(),
                 QString("Nudgewell: The reminder was not saved.\ninjected failure"));
        f.press(Qt::Key_F8);
        f.press(Qt::Key_F7);
        QTEST(f.press(Qt::Key_F6), "saved");
    }

    void deleteRemovesTheHighlightedReminder_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("three-letter weekdays") << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("longer weekdays") << QLocale(QLocale::French, QLocale::France);
    }

    void deleteRemovesTheHighlightedReminder() {
        QFETCH(QLocale, locale);
        WindowFixture f(QDate(2037, 12, 6), locale);
        // Weekly, so upcoming under either regional order; B shares its text with A.
        const QByteArray a = recordBytes("Same", 'X', 'W', "12/01/2037");
        const QByteArray b = recordBytes("Same", 'A', 'W', "12/02/2037");
        const QByteArray c = recordBytes("C", 'X', 'W', "12/03/2037");
        f.writeReminders({a, b, c});
        f.start();
        // Selecting B's line, or double-clicking it, takes B's own record.
        auto* list = f.find<QListView>("reminderlist");
        const QPoint second = list->visualRect(list->model()->index(1, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second);
        QVERIFY(f.window->isEditing());
        QCOMPARE(f.find<QComboBox>("yearlist")->currentText(), QString("Yes"));
        f.press(Qt::Key_F8);
        list->setCurrentIndex(list->model()->index(1, 0));
        QCOMPARE(f.window->currentRecord(), 2);
        f.messages.answers = {false, true};
        QCOMPARE(f.press(Qt::Key_F9), a + b + c);
        QCOMPARE(f.messages.last(),
                 QString("Delete a Reminder: Do you want to delete the highlighted reminder?"));
        QCOMPARE(f.press(Qt::Key_F9), a + c);
        QVERIFY(!QFile::exists(f.path("reminder.tmp")));

        f.press(Qt::Key_F3);
        auto* all = f.find<QListView>("reminderlist2");
        all->setCurrentIndex(all->model()->index(1, 0)); // "C", dated 12/03, sorts last
        QCOMPARE(f.press(Qt::Key_F9), a);
        QCOMPARE(f.window->currentRecord(), 1);

        // A failed rewrite is reported and loses nothing.
        f.files.failAt = FailingFileSystem::Step::Rename;
        QCOMPARE(f.press(Qt::Key_F9), a);
        QCOMPARE(f.window->recordCount(), 1);
        QCOMPARE(f.messages.last(),
                 QString("Nudgewell: The reminder was not deleted.\ninjected failure"));
        QVERIFY(all->isVisible());
        // Deleting the only reminder leaves an empty file and nothing to act on.
        QCOMPARE(f.press(Qt::Key_F9).size(), 0);
        QVERIFY(QFile::exists(f.path("reminder.dat")));
        QCOMPARE(f.window->recordCount(), 0);
        QVERIFY(!all->isVisible());
        checkState(f, false, "toolshowweek", false);
    }

    void purgeRemovesPastOneTimeReminders() {
        WindowFixture f;
        const QList<QByteArray> records = {recordBytes("Yesterday", 'X', 'O', "12/05/2037"),
                                           recordBytes("Today", 'X', 'O', "12/06/2037"),
                                           recordBytes("Long ago", 'X', 'O', "12/06/2016"),
                                           recordBytes("Yearly", 'X', 'Y', "12/05/2016", "zzz"),
                                           recordBytes("Garbled", 'X', 'O', "not a date")};
        f.writeReminders(records);
        f.start();
        f.messages.answers = {false, true};
        QCOMPARE(f.press(Qt::Key_D, Qt::ControlModifier), records.join());
        QCOMPARE(f.messages.last(),
                 QString("Delete a Reminder: Do you want to delete old one-time reminders?"));
        // Former records 2, 4 and 5 stay, with zeroed reserved bytes; an unreadable date stays.
        QCOMPARE(f.press(Qt::Key_D, Qt::ControlModifier),
                 records[1] + recordBytes("Yearly", 'X', 'Y', "12/05/2016") + records[4]);
        QCOMPARE(f.window->recordCount(), 3);
    }

    void optionsWhileEditingKeepsTheRecord_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QByteArray>("added");
        QTest::newRow("save") << int(Qt::Key_F6)
                              << recordBytes("Brand new", 'X', 'O', "12/06/2037");
        QTest::newRow("cancel") << int(Qt::Key_F8) << QByteArray();
    }

    void optionsWhileEditingKeepsTheRecord() {
        QFETCH(int, key);
        QFETCH(QByteArray, added);
        WindowFixture f;
        const QByteArray upcoming = recordBytes("Weekly one", 'X', 'W', "12/07/2037") +
                                    recordBytes("Weekly two", 'X', 'W', "12/08/2037");
        writeFile(f.path("reminder.dat"), upcoming);
        f.start();
        f.press(Qt::Key_F5);
        f.type("Brand new");
        // The main window is active again once the modal Options window has closed.
        closeModalSoon();
        f.action("tooloptions")->trigger();
        QVERIFY(f.activate());
        f.window->handleActivation();
        QVERIFY(f.window->isEditing());
        QCOMPARE(f.press(key), upcoming + added);
    }

    // Another program renames a new version over the file: it shows within a second with the
    // highlighted reminder kept; while the editor is open nothing moves until Save keeps both.
    // The window's own writes rebuild nothing.
    void anotherProgramsChange() {
        const QList<QByteArray> mine = {recordBytes("A", 'X', 'O', "12/07/2037"),
                                        recordBytes("B", 'X', 'O', "12/08/2037"),
                                        recordBytes("C", 'X', 'O', "12/09/2037")};
        const QByteArray d = recordBytes("D", 'X', 'O', "12/10/2037");
        const QByteArray e = recordBytes("E", 'X', 'O', "12/11/2037");
        WindowFixture f;
        f.writeReminders(mine);
        f.start();
        f.press(Qt::Key_F3);
        auto* all = f.find<QListView>("reminderlist2");
        const auto replace = [&](const QByteArray& bytes) {
            writeFile(f.path("theirs"), bytes);
            QVERIFY(std::rename(qPrintable(f.path("theirs")), qPrintable(f.path("reminder.dat"))) ==
                    0);
        };
        all->setCurrentIndex(all->model()->index(1, 0)); // B
        replace(recordBytes("Z", 'X', 'O', "12/06/2037") + mine.join() + d);
        QTRY_COMPARE_WITH_TIMEOUT(f.lines("reminderlist2").size(), 5, 1000);
        QCOMPARE(all->currentIndex().row(), 2); // B, after Z
        QCOMPARE(f.window->currentRecord(), 3);
        QVERIFY(all->hasFocus());

        f.press(Qt::Key_F7);
        f.type("B edited");
        const QByteArray theirs = recordBytes("Z", 'X', 'O', "12/06/2037") + mine.join() + d + e;
        replace(theirs);
        QTest::qWait(300);
        QVERIFY(f.window->isEditing());
        QCOMPARE(f.find<QLineEdit>("txtreminder")->text(), QString("B edited"));
        QSignalSpy rebuilt(all->model(), &QAbstractItemModel::modelReset);
        const QByteArray saved = f.press(Qt::Key_F6);
        QCOMPARE(saved, QByteArray(theirs).replace(
                            140, 70, recordBytes("B edited", 'X', 'O', "12/08/2037")));
        QCOMPARE(f.lines("reminderlist2").size(), 6);
        const int rebuilds = int(rebuilt.size());
        QTest::qWait(500);
        QCOMPARE(rebuilt.size(), rebuilds);
    }
};

QTEST_MAIN(TestEditor)
#include "test_editor.moc"
