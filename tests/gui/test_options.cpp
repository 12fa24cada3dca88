// SPDX-License-Identifier: GPL-3.0-or-later
// The Options dialog: what it shows and stores, its keys, and what the main window makes of it.
#include "gui_fixture.h"
#include "options/options_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

// A value to store before the dialog opens; a null string stores nothing.
void preset(SettingsStore& settings, const QString& key, const QString& value) {
    if (!value.isNull())
        settings.save(key, value);
}

// The three settings as "Days Checked|Minimize|Calendar Format", "-" for a missing one.
QString stored(const SettingsStore& settings) {
    QStringList values;
    for (const QString& key : {keys::DaysChecked, keys::Minimize, keys::CalendarFormat}) {
        const QString value = settings.get(key);
        values << (value.isEmpty() ? "-" : value);
    }
    return values.join('|');
}

// What the dialog shows: the days, "min" when Check1 is ticked, and the selected option.
QString shown(const OptionsForm& form) {
    return form.findChild<QComboBox*>("combodays")->currentText() +
           (form.findChild<QCheckBox*>("Check1")->isChecked() ? " min " : " ") +
           (form.findChild<QRadioButton*>("Option1")->isChecked() ? "Option1" : "") +
           (form.findChild<QRadioButton*>("Option2")->isChecked() ? "Option2" : "");
}

struct Dialog {
    explicit Dialog(WindowFixture& f) : form(f.settings, f.messages, f.help, nullptr) {
        form.show();
        active = QTest::qWaitForWindowActive(&form);
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : &form, Qt::Key(key), modifiers);
    }
    OptionsForm form;
    bool active = false;
};

} // namespace

class TestOptions : public QObject {
    Q_OBJECT

private slots:
    void storedSettings_data();
    void storedSettings();
    void keys_data();
    void keys();
    void tabOrderAndTopics();
    void saveReachesTheMainWindow_data();
    void saveReachesTheMainWindow();
    void failedSaveKeepsTheDialog();
};

void TestOptions::storedSettings_data() {
    QTest::addColumn<QString>("days");
    QTest::addColumn<QString>("minimize");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("shows");
    QTest::addColumn<QString>("afterCancel");
    QTest::addColumn<QString>("afterSave");
    const QString none;
    QTest::newRow("nothing stored") << none << none << none << "6 Option1"
                                    << "6|0|-"
                                    << "6|0|mm/dd";
    QTest::newRow("DD/MM is not dd/mm") << "3"
                                        << "0"
                                        << "DD/MM"
                                        << "3 Option1"
                                        << "3|0|DD/MM"
                                        << "3|0|mm/dd";
    QTest::newRow("dd/mm") << "15"
                           << "1"
                           << "dd/mm"
                           << "15 min Option2"
                           << "15|1|dd/mm"
                           << "15|1|dd/mm";
    QTest::newRow("Minimize other than 1 is stored as 0") << "1"
                                                          << "yes"
                                                          << "mm/dd"
                                                          << "1 Option1"
                                                          << "1|0|mm/dd"
                                                          << "1|0|mm/dd";
    // A number the list does not offer shows as 6; only Save replaces it.
    QTest::newRow("days not a number") << "abc"
                                       << "0" << none << "6 Option1"
                                       << "abc|0|-"
                                       << "6|0|mm/dd";
    QTest::newRow("days above 15") << "40"
                                   << "1" << none << "6 min Option1"
                                   << "40|1|-"
                                   << "6|1|mm/dd";
    QTest::newRow("days 0") << "0" << none << none << "6 Option1"
                            << "0|0|-"
                            << "6|0|mm/dd";
    QTest::newRow("days with a blank") << " 7" << none << none << "6 Option1"
                                       << " 7|0|-"
                                       << "6|0|mm/dd";
}

void TestOptions::storedSettings() {
    QFETCH(QString, days);
    QFETCH(QString, minimize);
    QFETCH(QString, format);
    QFETCH(QString, shows);
    QFETCH(QString, afterCancel);
    QFETCH(QString, afterSave);
    WindowFixture f;
    preset(f.settings, keys::DaysChecked, days);
    preset(f.settings, keys::Minimize, minimize);
    preset(f.settings, keys::CalendarFormat, format);
    {
        OptionsForm form(f.settings, f.messages, f.help, nullptr);
        QCOMPARE(shown(form), shows);
        form.cmdcancel_Click();
        QCOMPARE(stored(f.settings), afterCancel);
    }
    OptionsForm form(f.settings, f.messages, f.help, nullptr);
    QCOMPARE(shown(form), shows);
    QString saved;
    connect(&form, &OptionsForm::daysCheckedSaved, [&saved](const QString& d) { saved = d; });
    form.cmdsave_Click();
    QCOMPARE(stored(f.settings), afterSave);
    QCOMPARE(saved, afterSave.section('|', 0, 0));
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QVERIFY(f.messages.shown.isEmpty());
}

void TestOptions::keys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QList<int>>("help");
    const int alt = int(Qt::AltModifier);
    // Each row first picks 9 days and day-first, then presses its key.
    QTest::newRow("Esc asks for help")
        << int(Qt::Key_Escape) << 0 << true << "6|0|-" << QList<int>{205};
    QTest::newRow("Enter saves") << int(Qt::Key_Return) << 0 << false << "9|0|dd/mm"
                                 << QList<int>{};
    QTest::newRow("Alt+S saves") << int(Qt::Key_S) << alt << false << "9|0|dd/mm" << QList<int>{};
    QTest::newRow("Alt+C cancels") << int(Qt::Key_C) << alt << false << "6|0|-" << QList<int>{};
    QTest::newRow("Alt+H asks for help")
        << int(Qt::Key_H) << alt << true << "6|0|-" << QList<int>{205};
    QTest::newRow("close box saves nothing") << 0 << 0 << false << "6|0|-" << QList<int>{};
}

void TestOptions::keys() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, open);
    QFETCH(QString, after);
    QFETCH(QList<int>, help);
    WindowFixture f;
    Dialog d(f);
    QVERIFY(d.active);
    d.form.findChild<QComboBox*>("combodays")->setCurrentText("9");
    auto* option2 = d.form.findChild<QRadioButton*>("Option2");
    option2->setFocus();
    option2->click();
    if (key)
        d.press(key, Qt::KeyboardModifiers(modifiers));
    else
        d.form.close();
    // A mnemonic presses its button with a short animation.
    QTRY_COMPARE(f.help.requests, help);
    QTRY_COMPARE(d.form.isVisible(), open);
    QCOMPARE(stored(f.settings), after);
}

void TestOptions::tabOrderAndTopics() {
    WindowFixture f;
    Dialog d(f);
    QVERIFY(d.active);
    // From the first control round to it again, with F1's topic at each. The two options are
    // one stop, on the selected one; the arrows move between them.
    QStringList visited;
    for (int i = 0; i < 8; ++i) {
        visited << QApplication::focusWidget()->objectName();
        d.press(Qt::Key_F1);
        d.press(i == 2 ? Qt::Key_Down : Qt::Key_Tab);
    }
    QCOMPARE(visited.join(' '),
             QString("Check1 combodays Option1 Option2 cmdsave cmdcancel cmdhelp Check1"));
    QCOMPARE(f.help.requests, QList<int>({206, 207, 208, 208, 205, 205, 205, 206}));
    QVERIFY(d.form.findChild<QRadioButton*>("Option2")->isChecked());
    // The list offers exactly its fifteen numbers and takes no typing.
    auto* days = d.form.findChild<QComboBox*>("combodays");
    QStringList items;
    for (int i = 0; i < days->count(); ++i)
        items << days->itemText(i);
    QCOMPARE(items.join(','), QString("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15"));
    QVERIFY(!days->isEditable());
}

void TestOptions::saveReachesTheMainWindow_data() {
    QTest::addColumn<QString>("days");
    QTest::addColumn<bool>("dayFirst");
    QTest::addColumn<QString>("dateLabel");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::newRow("12 days") << "12" << false << "10/17/02"
                             << "10/17/02"
                             << "10/29/02";
    QTest::newRow("day-first") << "6" << true << "17/10/02"
                               << "17/10/02"
                               << "23/10/02";
    QTest::newRow("one day") << "1" << false << "10/17/02"
                             << "10/17/02"
                             << "10/18/02";
}

void TestOptions::saveReachesTheMainWindow() {
    QFETCH(QString, days);
    QFETCH(bool, dayFirst);
    QFETCH(QString, dateLabel);
    QFETCH(QString, first);
    QFETCH(QString, last);
    WindowFixture f(QDate(2002, 10, 17));
    // One one-time reminder a day, from the day before today to 20 days ahead.
    QList<QByteArray> records;
    for (int offset = -1; offset <= 20; ++offset)
        records << recordBytes(QString("Day %1").arg(offset), 'X', 'O',
                               QDate(2002, 10, 17).addDays(offset).toString("MM/dd/yyyy"));
    f.writeReminders(records);
    f.start();
    // The modal dialog runs inside F11; it is driven by key from there.
    QTimer::singleShot(50, [&] {
        auto* form = qobject_cast<OptionsForm*>(QApplication::activeModalWidget());
        QVERIFY(form);
        auto* list = form->findChild<QComboBox*>("combodays");
        list->setFocus();
        // Home, then down to the number: the list is used as a user would.
        QTest::keyClick(list, Qt::Key_Home);
        for (int i = 1; i < days.toInt(); ++i)
            QTest::keyClick(list, Qt::Key_Down);
        if (dayFirst) {
            QTest::keyClick(list, Qt::Key_Tab);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    f.press(Qt::Key_F11);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(f.activate());
    QTRY_COMPARE(f.find<QLabel>("lblShowDate2")->text(), dateLabel);
    QTRY_COMPARE(f.lines("reminderlist").size(), days.toInt() + 1);
    QCOMPARE(f.settings.get(keys::DaysChecked), days);
    const QStringList lines = f.lines("reminderlist");
    QCOMPARE(lines.first().left(8), first);
    QCOMPARE(lines.last().left(8), last);
}

void TestOptions::failedSaveKeepsTheDialog() {
    WindowFixture f;
    Dialog d(f);
    QVERIFY(d.active);
    // A settings file that cannot be written: the store stays as it was.
    QFile::remove(f.settings.fileName());
    QVERIFY(QDir().mkdir(f.settings.fileName()));
    d.press(Qt::Key_Return);
    QVERIFY(d.form.isVisible());
    QVERIFY2(f.messages.last().startsWith("Nudgewell: Cannot write the settings file"),
             qPrintable(f.messages.last()));
}

QTEST_MAIN(TestOptions)
#include "test_options.moc"
