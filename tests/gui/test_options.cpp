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

const QStringList kKeys = {keys::DaysChecked, keys::Minimize, keys::CalendarFormat};

// The three settings as "Days Checked|Minimize|Calendar Format", "-" for a missing one.
QString stored(const SettingsStore& settings) {
    QStringList values;
    for (const QString& key : kKeys)
        values << (settings.get(key).isEmpty() ? "-" : settings.get(key));
    return values.join('|');
}

// The days shown, "min" when Check1 is ticked, and the selected option.
QString shown(const OptionsForm& form) {
    return form.findChild<QComboBox*>("combodays")->currentText() +
           (form.findChild<QCheckBox*>("Check1")->isChecked() ? " min " : " ") +
           (form.findChild<QRadioButton*>("Option2")->isChecked() ? "Option2" : "Option1");
}

void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
}

} // namespace

class TestOptions : public QObject {
    Q_OBJECT

private slots:
    void storedSettings_data() {
        QTest::addColumn<QString>("before"); // as stored(), "-" storing nothing
        QTest::addColumn<QString>("shows");
        QTest::addColumn<QString>("afterCancel");
        QTest::addColumn<QString>("afterSave");
        const auto row = [](const char* name, const char* before, const char* shows,
                            const char* afterCancel, const char* afterSave) {
            QTest::newRow(name) << QString(before) << QString(shows) << QString(afterCancel)
                                << QString(afterSave);
        };
        row("nothing stored", "-|-|-", "6 Option1", "6|0|-", "6|0|mm/dd");
        row("DD/MM is not dd/mm", "3|0|DD/MM", "3 Option1", "3|0|DD/MM", "3|0|mm/dd");
        row("dd/mm, minimised", "15|1|dd/mm", "15 min Option2", "15|1|dd/mm", "15|1|dd/mm");
        row("Minimize other than 1", "1|yes|-", "1 Option1", "1|0|-", "1|0|mm/dd");
        // A number the list does not offer shows as 6; only Save replaces it.
        row("days not a number", "abc|0|-", "6 Option1", "abc|0|-", "6|0|mm/dd");
        row("days above 15", "40|1|-", "6 min Option1", "40|1|-", "6|1|mm/dd");
        row("days 0", "0|-|-", "6 Option1", "0|0|-", "6|0|mm/dd");
    }
    void storedSettings() {
        QFETCH(QString, before);
        QFETCH(QString, shows);
        QFETCH(QString, afterCancel);
        QFETCH(QString, afterSave);
        WindowFixture f;
        for (int i = 0; i < kKeys.size(); ++i) {
            if (before.section('|', i, i) != "-")
                f.settings.save(kKeys[i], before.section('|', i, i));
        }
        QString label;
        for (bool save : {false, true}) {
            OptionsForm form(f.settings, f.messages, f.help, nullptr);
            connect(&form, &OptionsForm::daysCheckedSaved,
                    [&label](const QString& d) { label = d; });
            QCOMPARE(shown(form), shows);
            save ? form.cmdsave_Click() : form.cmdcancel_Click();
            QCOMPARE(stored(f.settings), save ? afterSave : afterCancel);
        }
        QCOMPARE(label, afterSave.section('|', 0, 0));
        QVERIFY(f.messages.shown.isEmpty());
    }

    // Each row picks 9 days and day-first, then presses its key; 0 is the close box.
    void keys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<bool>("open");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QList<int>>("help");
        const auto row = [](const char* name, QKeyCombination key, bool open, const char* after,
                            const QList<int>& help, bool writable = true) {
            QTest::newRow(name) << key.toCombined() << writable << open << QString(after) << help;
        };
        row("Esc asks for help", Qt::Key_Escape, true, "6|0|-", {205});
        row("Enter saves", Qt::Key_Return, false, "9|0|dd/mm", {});
        row("Alt+S saves", Qt::ALT | Qt::Key_S, false, "9|0|dd/mm", {});
        row("Alt+C cancels", Qt::ALT | Qt::Key_C, false, "6|0|-", {});
        row("Alt+H asks for help", Qt::ALT | Qt::Key_H, true, "6|0|-", {205});
        row("close box saves nothing", Qt::Key_unknown, false, "6|0|-", {});
        // Enter says so when the settings cannot be written, and the dialog stays.
        row("unwritable settings", Qt::Key_Return, true, "6|0|-", {}, false);
    }
    void keys() {
        QFETCH(int, key);
        QFETCH(bool, writable);
        QFETCH(bool, open);
        QFETCH(QString, after);
        QFETCH(QList<int>, help);
        WindowFixture f;
        OptionsForm form(f.settings, f.messages, f.help, nullptr);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.findChild<QComboBox*>("combodays")->setCurrentText("9");
        form.findChild<QRadioButton*>("Option1")->setFocus();
        press(Qt::Key_Down);
        if (!writable)
            QVERIFY(QFile::remove(f.settings.fileName()) && QDir().mkdir(f.settings.fileName()));
        const QKeyCombination combination = QKeyCombination::fromCombined(key);
        if (combination.key() == Qt::Key_unknown)
            form.close();
        else
            press(combination.key(), combination.keyboardModifiers());
        // A mnemonic presses its button with a short animation.
        QTRY_COMPARE(f.help.requests, help);
        QTRY_COMPARE(form.isVisible(), open);
        QCOMPARE(stored(f.settings), after);
        QCOMPARE(f.messages.shown.size(), open && help.isEmpty() ? 1 : 0);
    }

    // Tab reaches the pair of date formats on the chosen one and leaves from there; the arrows
    // change the choice, and Enter saves what they chose.
    void tabOrderAndTopics_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<int>("arrow");
        QTest::addColumn<QString>("visited");
        QTest::newRow("mm/dd chosen, Down")
            << "mm/dd" << int(Qt::Key_Down) << "Check1 combodays Option1 Option2 cmdsave";
        QTest::newRow("dd/mm chosen, Up")
            << "dd/mm" << int(Qt::Key_Up) << "Check1 combodays Option2 Option1 cmdsave";
    }
    void tabOrderAndTopics() {
        QFETCH(QString, chosen);
        QFETCH(int, arrow);
        QFETCH(QString, visited);
        WindowFixture f;
        f.settings.save(keys::CalendarFormat, chosen);
        OptionsForm form(f.settings, f.messages, f.help, nullptr);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        // Round from the first control to it again, with F1's topic at each.
        QStringList seen;
        for (int i = 0; i < 8; ++i) {
            seen << QApplication::focusWidget()->objectName();
            press(Qt::Key_F1);
            press(i == 2 ? arrow : Qt::Key_Tab);
        }
        QCOMPARE(seen.join(' '), visited + " cmdcancel cmdhelp Check1");
        QCOMPARE(f.help.requests, QList<int>({206, 207, 208, 208, 205, 205, 205, 206}));
        press(Qt::Key_Return);
        QCOMPARE(f.settings.get(keys::CalendarFormat),
                 chosen == "dd/mm" ? QString("mm/dd") : QString("dd/mm"));
    }

    void saveReachesTheMainWindow_data() {
        QTest::addColumn<int>("days");
        QTest::addColumn<bool>("dayFirst");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("12 days") << 12 << false << "10/17/02"
                                 << "10/29/02";
        QTest::newRow("day-first") << 6 << true << "17/10/02"
                                   << "23/10/02";
    }
    void saveReachesTheMainWindow() {
        QFETCH(int, days);
        QFETCH(bool, dayFirst);
        QFETCH(QString, first);
        QFETCH(QString, last);
        WindowFixture f(QDate(2002, 10, 17));
        // One one-time reminder a day, from the day before today to 20 days ahead.
        QList<QByteArray> records;
        for (int offset = -1; offset <= 20; ++offset)
            records << recordBytes("Day", 'X', 'O',
                                   QDate(2002, 10, 17).addDays(offset).toString("MM/dd/yyyy"));
        f.writeReminders(records);
        f.start();
        // The modal dialog runs inside F11 and is driven by key from there.
        QTimer::singleShot(50, [&] {
            press(Qt::Key_Tab); // from Check1 to the list
            press(Qt::Key_Home);
            for (int i = 1; i < days; ++i)
                press(Qt::Key_Down);
            if (dayFirst) {
                press(Qt::Key_Tab);
                press(Qt::Key_Down);
            }
            press(Qt::Key_Return);
            // Should Enter not close it, the close box does, and the checks below fail.
            QTimer::singleShot(500, [] {
                if (QWidget* modal = QApplication::activeModalWidget())
                    modal->close();
            });
        });
        f.press(Qt::Key_F11);
        QVERIFY(f.activate());
        QTRY_COMPARE(f.find<QLabel>("lblShowDate2")->text(), first);
        QTRY_COMPARE(f.lines("reminderlist").size(), days + 1);
        QCOMPARE(f.lines("reminderlist").first().left(8), first);
        QCOMPARE(f.lines("reminderlist").last().left(8), last);
        QCOMPARE(f.settings.get(keys::DaysChecked), QString::number(days));
    }
};

QTEST_MAIN(TestOptions)
#include "test_options.moc"
