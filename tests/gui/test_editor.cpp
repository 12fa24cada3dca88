// SPDX-License-Identifier: GPL-3.0-or-later
// New, Edit, Save, Cancel, Delete and the purge, driven by key as a user would.
#include "gui_fixture.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTextCharFormat>
#include <QTimer>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

// Five reminders none of which falls in the week after 6 December 2026.
QList<QByteArray> fiveQuietRecords() {
    return {recordBytes("One", 'X', 'Y', "03/01/2001"), recordBytes("Two", 'X', 'Y', "04/01/2001"),
            recordBytes("Three", 'X', 'Y', "05/01/2001"),
            recordBytes("Four", 'X', 'Y', "06/01/2001"),
            recordBytes("Five", 'X', 'Y', "07/01/2001")};
}

} // namespace

class TestEditor : public QObject {
    Q_OBJECT

private:
    void press(WindowFixture& f, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        if (!f.window->isActiveWindow()) {
            f.window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        }
        QWidget* target =
            QApplication::focusWidget() ? QApplication::focusWidget() : f.window.get();
        QTest::keyClick(target, Qt::Key(key), modifiers);
    }
    void checkState(WindowFixture& f, bool editing);

private slots:
    void newThenSaveAppendsTheRecord();
    void newThenCancelRemovesOnlyThePlaceholder_data();
    void newThenCancelRemovesOnlyThePlaceholder();
    void editThenCancelLeavesTheFile();
    void saveRewritesTheDateInTheOrderInForce();
    void editOfUnreadableDateOpensOnToday();
    void answeringNoChangesNothing_data();
    void answeringNoChangesNothing();
    void deleteRemovesTheHighlightedReminder();
    void deletingTheOnlyReminderEmptiesTheFile();
    void purgeRemovesPastOneTimeReminders();
    void optionsWhileEditingKeepsTheRecord_data();
    void optionsWhileEditingKeepsTheRecord();
    void failedWritesAreReportedAndLoseNothing();
    void textBoxAndCalendarBehaviour();
};

void TestEditor::checkState(WindowFixture& f, bool editing) {
    QCOMPARE(f.find<QFrame>("Frame1")->isVisible(), editing);
    QCOMPARE(f.action("menufileAction")->isEnabled(), !editing);
    QCOMPARE(f.action("menureminder1Action")->isVisible(), !editing);
    QCOMPARE(f.action("menureminder2Action")->isVisible(), editing);
    QVERIFY(f.action("menuhelpAction")->isVisible());
    for (const char* name : {"tooladd", "tooledit", "tooldelete", "toolstartup", "toolcalendar",
                             "toolsep12", "toolsep14", "toolsep16"})
        QVERIFY2(f.action(name)->isVisible() == !editing, name);
    QCOMPARE(f.action("toolsave")->isVisible(), editing);
    QCOMPARE(f.action("toolcancel")->isVisible(), editing);
    for (const char* name : {"tooloptions", "toolhelp", "toolclose"})
        QVERIFY2(f.action(name)->isVisible() && f.action(name)->isEnabled(), name);
    if (editing) {
        QVERIFY(!f.action("toolprint")->isEnabled());
        // The view button stays on the bar, disabled.
        QAction* view = f.action("toolshowall")->isVisible() ? f.action("toolshowall")
                                                             : f.action("toolshowweek");
        QVERIFY(view->isVisible() && !view->isEnabled());
        QVERIFY(!f.find<QListView>("reminderlist")->isVisible());
        QVERIFY(!f.find<QListView>("reminderlist2")->isVisible());
    }
}

void TestEditor::newThenSaveAppendsTheRecord() {
    WindowFixture f;
    f.start();
    const QByteArray before = f.reminderBytes();
    press(f, Qt::Key_F5);
    QCOMPARE(f.window->editorMode(), QString("add"));
    // The placeholder is on disk at once.
    QCOMPARE(f.reminderBytes(), before + recordBytes("", 'X', 'O', "12/06/2026"));
    checkState(f, true);
    QCOMPARE(f.find<QLabel>("LblReminder")->text(), QString("Reminder:"));
    QCOMPARE(f.find<QLabel>("LblFrequency")->text(), QString("Frequency:"));
    QCOMPARE(f.find<QLabel>("LblShowYears")->text(), QString("Show years?"));
    QStringList items;
    for (const char* name : {"typelist", "yearlist"}) {
        for (int i = 0; i < f.find<QComboBox>(name)->count(); ++i)
            items << f.find<QComboBox>(name)->itemText(i);
    }
    QCOMPARE(items, QStringList({"Once", "Weekly", "Monthly", "Yearly", "No", "Yes"}));
    QCOMPARE(f.find<QCalendarWidget>("Calendar2")->minimumDate(), QDate(1753, 1, 1));
    QTest::keyClicks(QApplication::focusWidget(), "Dentist at nine");
    auto* type = f.find<QComboBox>("typelist");
    type->setCurrentIndex(3);
    f.find<QComboBox>("yearlist")->setCurrentIndex(1);
    f.find<QCalendarWidget>("Calendar2")->setSelectedDate(QDate(2026, 12, 9));
    press(f, Qt::Key_F6);
    QCOMPARE(f.reminderBytes(), before + recordBytes("Dentist at nine", 'A', 'Y', "12/09/2026"));
    checkState(f, false);
    QCOMPARE(f.window->recordCount(), 2);
    QCOMPARE(QApplication::focusWidget(), f.find<QWidget>("reminderlist"));
    QTest::keyClicks(QApplication::focusWidget(), "zz");
    QCOMPARE(f.find<QLineEdit>("txtreminder")->text(), QString("Dentist at nine"));
    QVERIFY(f.lines("reminderlist").value(0).startsWith("12/09/26   Wed\tYearly \tDentist"));
}

void TestEditor::newThenCancelRemovesOnlyThePlaceholder_data() {
    QTest::addColumn<QList<QByteArray>>("records");
    QTest::newRow("empty file") << QList<QByteArray>();
    QTest::newRow("five records") << fiveQuietRecords();
}

void TestEditor::newThenCancelRemovesOnlyThePlaceholder() {
    QFETCH(QList<QByteArray>, records);
    WindowFixture f;
    f.writeReminders(records);
    f.start();
    if (records.isEmpty()) { // start-up seeds an empty file; empty it again
        f.window->DeleteSelected();
        QCOMPARE(f.reminderBytes().size(), 0);
    }
    const QByteArray before = f.reminderBytes();
    if (records.isEmpty()) { // nothing to edit
        press(f, Qt::Key_F7);
        QVERIFY(!f.window->isEditing());
    }
    press(f, Qt::Key_F5);
    QCOMPARE(f.reminderBytes().size(), before.size() + 70);
    QTest::keyClicks(QApplication::focusWidget(), "never mind");
    press(f, Qt::Key_F8);
    QCOMPARE(f.reminderBytes(), before);
    QCOMPARE(f.window->recordCount(), int(records.size()));
    QCOMPARE(f.window->currentRecord(), int(records.size()) + 1);
    press(f, Qt::Key_F7); // the cancelled record is gone: nothing to edit
    QVERIFY(!f.window->isEditing());
    QVERIFY(!QFile::exists(f.path("reminder.tmp")));
    QVERIFY(!f.action("tooledit")->isEnabled());
    QVERIFY(!f.action("tooldelete")->isEnabled());
    checkState(f, false);
}

void TestEditor::editThenCancelLeavesTheFile() {
    WindowFixture f;
    f.writeReminders({recordBytes("Piano lesson", 'A', 'W', "12/01/2026", "abc")});
    f.start();
    const QByteArray before = f.reminderBytes();
    press(f, Qt::Key_F3);
    QVERIFY(f.action("menushowweek")->isVisible());
    press(f, Qt::Key_F7);
    QCOMPARE(f.window->editorMode(), QString("edit"));
    checkState(f, true);
    auto* text = f.find<QLineEdit>("txtreminder");
    QCOMPARE(text->text(), QString("Piano lesson"));
    QCOMPARE(f.find<QComboBox>("typelist")->currentText(), QString("Weekly"));
    QCOMPARE(f.find<QComboBox>("yearlist")->currentText(), QString("Yes"));
    QCOMPARE(f.find<QCalendarWidget>("Calendar2")->selectedDate(), QDate(2026, 12, 1));
    QTest::keyClicks(text, "Guitar");
    press(f, Qt::Key_F8);
    QCOMPARE(f.reminderBytes(), before);
    QCOMPARE(text->text(), QString("Piano lesson"));
    // The all view was showing, so it comes back.
    QVERIFY(f.find<QListView>("reminderlist2")->isVisible());
    QVERIFY(f.action("toolshowweek")->isVisible() && f.action("toolshowweek")->isEnabled());
    press(f, Qt::Key_F4);
    QVERIFY(f.action("menushowall")->isVisible());

    // Save without a change keeps the reserved bytes of the record.
    press(f, Qt::Key_F7);
    press(f, Qt::Key_F6);
    QCOMPARE(f.reminderBytes(), before);
}

void TestEditor::saveRewritesTheDateInTheOrderInForce() {
    WindowFixture f;
    f.writeReminders({recordBytes("Xmas", 'X', 'Y', "12/25/2026")});
    f.start();
    press(f, Qt::Key_F3); // not upcoming: edit it from the all view
    f.settings.save("Calendar Format", "dd/mm");
    f.window->handleActivation();
    press(f, Qt::Key_F7);
    press(f, Qt::Key_F6);
    QCOMPARE(f.reminderBytes(), recordBytes("Xmas", 'X', 'Y', "25/12/2026"));
}

void TestEditor::editOfUnreadableDateOpensOnToday() {
    WindowFixture f;
    f.writeReminders({recordBytes("Odd", 'X', 'Q', "99/99/0001")});
    f.start();
    const QByteArray before = f.reminderBytes();
    auto* type = f.find<QComboBox>("typelist");
    type->setCurrentIndex(2);
    press(f, Qt::Key_F7);
    QCOMPARE(f.find<QCalendarWidget>("Calendar2")->selectedDate(), QDate(2026, 12, 6));
    QCOMPARE(type->currentText(), QString("Monthly")); // an unknown letter leaves it be
    press(f, Qt::Key_F8);
    QCOMPARE(f.reminderBytes(), before);
}

void TestEditor::answeringNoChangesNothing_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("question");
    QTest::newRow("delete") << int(Qt::Key_F9) << "Do you want to delete the highlighted reminder?";
    QTest::newRow("purge") << int(Qt::Key_D) << "Do you want to delete old one-time reminders?";
}

void TestEditor::answeringNoChangesNothing() {
    QFETCH(int, key);
    WindowFixture f;
    f.writeReminders(
        {recordBytes("Old", 'X', 'O', "01/01/2020"), recordBytes("Soon", 'X', 'W', "12/07/2026")});
    f.start();
    const QByteArray before = f.reminderBytes();
    f.messages.answers = {false};
    press(f, key, key == Qt::Key_D ? Qt::ControlModifier : Qt::NoModifier);
    QCOMPARE(int(f.messages.shown.size()), 1);
    QCOMPARE(f.messages.shown[0].title, QString("Delete a Reminder"));
    QTEST(f.messages.shown[0].text, "question");
    QVERIFY(f.messages.shown[0].question);
    QCOMPARE(f.reminderBytes(), before);
}

void TestEditor::deleteRemovesTheHighlightedReminder() {
    WindowFixture f;
    const QByteArray a = recordBytes("Same", 'X', 'W', "12/01/2026");
    const QByteArray b = recordBytes("Same", 'X', 'W', "12/02/2026");
    const QByteArray c = recordBytes("C", 'X', 'W', "12/03/2026");
    f.writeReminders({a, b, c});
    f.start();
    // B shares its text with A; its own line must be the one deleted.
    auto* list = f.find<QListView>("reminderlist");
    QCOMPARE(list->model()->index(1, 0).data().toString().left(3), QString("12/"));
    list->setCurrentIndex(list->model()->index(1, 0));
    QCOMPARE(f.window->currentRecord(), 2);
    press(f, Qt::Key_F9);
    QCOMPARE(f.reminderBytes(), a + c);
    QCOMPARE(f.window->recordCount(), 2);
    QVERIFY(!QFile::exists(f.path("reminder.tmp")));

    // Deleting the last record moves the current record back to the new last one.
    f.window->menushowall_Click();
    auto* all = f.find<QListView>("reminderlist2");
    all->setCurrentIndex(all->model()->index(1, 0)); // "C", dated 12/03, sorts last
    press(f, Qt::Key_F9);
    QCOMPARE(f.reminderBytes(), a);
}

void TestEditor::deletingTheOnlyReminderEmptiesTheFile() {
    WindowFixture f;
    f.writeReminders({recordBytes("Only", 'X', 'W', "12/01/2026")});
    f.start();
    press(f, Qt::Key_F9);
    QCOMPARE(f.reminderBytes().size(), 0);
    QVERIFY(QFile::exists(f.path("reminder.dat")));
    QCOMPARE(f.window->recordCount(), 0);
    QVERIFY(!f.find<QListView>("reminderlist")->isVisible());
    QVERIFY(!f.action("tooledit")->isEnabled());
    QVERIFY(!f.action("tooldelete")->isEnabled());
}

void TestEditor::purgeRemovesPastOneTimeReminders() {
    WindowFixture f;
    const QList<QByteArray> records = {recordBytes("Yesterday", 'X', 'O', "12/05/2026"),
                                       recordBytes("Today", 'X', 'O', "12/06/2026"),
                                       recordBytes("Long ago", 'X', 'O', "12/06/2016"),
                                       recordBytes("Yearly", 'X', 'Y', "12/05/2016", "zzz"),
                                       recordBytes("Garbled", 'X', 'O', "not a date")};
    f.writeReminders(records);
    f.start();
    press(f, Qt::Key_D, Qt::ControlModifier);
    // Former records 2, 4 and 5 stay, with zeroed reserved bytes; an unreadable date stays.
    QCOMPARE(f.reminderBytes(),
             records[1] + recordBytes("Yearly", 'X', 'Y', "12/05/2016") + records[4]);
    QCOMPARE(f.window->recordCount(), 3);
    QVERIFY(!QFile::exists(f.path("reminder.tmp")));
}

void TestEditor::optionsWhileEditingKeepsTheRecord_data() {
    QTest::addColumn<int>("closeKey");
    QTest::newRow("save") << int(Qt::Key_F6);
    QTest::newRow("cancel") << int(Qt::Key_F8);
}

void TestEditor::optionsWhileEditingKeepsTheRecord() {
    QFETCH(int, closeKey);
    WindowFixture f;
    const QList<QByteArray> records = {recordBytes("Weekly one", 'X', 'W', "12/07/2026"),
                                       recordBytes("Weekly two", 'X', 'W', "12/08/2026")};
    f.writeReminders(records);
    f.start();
    press(f, Qt::Key_F5);
    QTest::keyClicks(QApplication::focusWidget(), "Brand new");
    // The modal Options window closes itself; the main window is then active again.
    QTimer::singleShot(50, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    f.action("tooloptions")->trigger();
    f.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    f.window->handleActivation();
    QVERIFY(f.window->isEditing());
    press(f, closeKey);
    if (closeKey == Qt::Key_F6)
        QCOMPARE(f.reminderBytes(),
                 records[0] + records[1] + recordBytes("Brand new", 'X', 'O', "12/06/2026"));
    else
        QCOMPARE(f.reminderBytes(), records[0] + records[1]);
}

void TestEditor::failedWritesAreReportedAndLoseNothing() {
    WindowFixture f;
    f.writeReminders({recordBytes("Keep me", 'X', 'W', "12/07/2026")});
    f.start();
    const QByteArray before = f.reminderBytes();
    f.files.failAt = FailingFileSystem::Step::Rename;
    press(f, Qt::Key_F9);
    QCOMPARE(f.reminderBytes(), before);
    QCOMPARE(f.window->recordCount(), 1);
    QCOMPARE(f.messages.shown.back().title, QString("Nudgewell"));
    QVERIFY(f.messages.shown.back().text.contains("injected failure"));
    QVERIFY(f.find<QListView>("reminderlist")->isVisible());

    // A failed Save keeps the editor open with the text typed.
    f.files = FailingFileSystem();
    press(f, Qt::Key_F7);
    QTest::keyClicks(QApplication::focusWidget(), "Changed");
    f.files.failAt = FailingFileSystem::Step::Write;
    press(f, Qt::Key_F6);
    QVERIFY(f.window->isEditing());
    QCOMPARE(f.find<QLineEdit>("txtreminder")->text(), QString("Changed"));
    QCOMPARE(f.reminderBytes(), before);
}

void TestEditor::textBoxAndCalendarBehaviour() {
    WindowFixture f;
    f.start();
    press(f, Qt::Key_F5);
    auto* text = f.find<QLineEdit>("txtreminder");
    QTest::keyClicks(text, QString(60, 'x'));
    QCOMPARE(text->text().size(), 55);
    // Characters the record file cannot hold are refused; its own ones are taken.
    text->clear();
    for (QChar c : QString::fromUtf8("€5 café ☃"))
        text->insert(QString(c));
    QCOMPARE(text->text(), QString::fromUtf8("€5 café "));

    text->setText(QString(50, 'y'));
    auto* calendar = f.find<QCalendarWidget>("Calendar2");
    calendar->setFocus();
    QTRY_COMPARE(calendar->weekdayTextFormat(Qt::Monday).foreground().color(), QColor(255, 0, 0));
    text->setFocus();
    QTRY_VERIFY(text->hasFocus());
    QCOMPARE(text->selectionStart(), 0);
    QCOMPARE(text->selectedText().size(), 45);
    QCOMPARE(calendar->weekdayTextFormat(Qt::Sunday).foreground().color(), QColor(0, 0, 255));
    press(f, Qt::Key_F8);
}

QTEST_MAIN(TestEditor)
#include "test_editor.moc"
