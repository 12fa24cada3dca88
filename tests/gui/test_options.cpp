// SPDX-License-Identifier: GPL-3.0-or-later
// The Options dialog: what it shows and stores, its keys, and what the main window makes of it.
#include "key_script.h"
#include "options/options_form.h"

#include <QLabel>

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

} // namespace

class TestOptions : public QObject {
    Q_OBJECT

private slots:
    // Each row stores its settings, opens the dialog and types its keys, "close" clicking the
    // close box and "unwritable" making the settings file a folder.
    void dialog_data() {
        QTest::addColumn<QString>("before"); // as stored(), "-" storing nothing
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QList<int>>("help");
        QTest::addColumn<bool>("open");
        const auto row = [](const char* name, const char* before, const QString& keys,
                            const char* after, const QList<int>& help = {}, bool open = false) {
            QTest::newRow(name) << QString(before) << keys << QString(after) << help << open;
        };
        row("nothing stored, saved", "-|-|-", "Return", "6|0|mm/dd");
        row("DD/MM is not dd/mm", "3|0|DD/MM", "Return", "3|0|mm/dd");
        row("DD/MM kept by Cancel", "3|0|DD/MM", "Alt+C", "3|0|DD/MM");
        row("dd/mm, minimised", "15|1|dd/mm", "Return", "15|1|dd/mm");
        row("Minimize other than 1", "1|yes|-", "Alt+C", "1|0|-");
        // A number the list does not offer shows as 6; only Save replaces it.
        row("days not a number", "abc|0|-", "Alt+C", "abc|0|-");
        row("days above 15", "40|1|-", "Return", "6|1|mm/dd");
        // 9 days and day-first picked, then one key.
        const QString pick = "Tab,9,Tab,Down,";
        row("Esc asks for help", "-|-|-", pick + "Esc", "6|0|-", {205}, true);
        row("Enter saves", "-|-|-", pick + "Return", "9|0|dd/mm");
        row("Alt+S saves", "-|-|-", pick + "Alt+S", "9|0|dd/mm");
        row("Alt+C cancels", "-|-|-", pick + "Alt+C", "6|0|-");
        row("Alt+H asks for help", "-|-|-", pick + "Alt+H", "6|0|-", {205}, true);
        row("close box saves nothing", "-|-|-", pick + "close", "6|0|-");
        // Enter says so when the settings cannot be written, and the dialog stays.
        row("unwritable settings", "-|-|-", "unwritable," + pick + "Return", "6|0|-", {}, true);
        // Tab reaches the pair of date formats on the chosen one and leaves from there, round
        // the three buttons back to the first control; the arrows change the choice.
        const QList<int> topics = {206, 207, 208, 208, 205, 205, 205, 206};
        const QString round = "F1,Tab,F1,Tab,F1,%1,F1,Tab,F1,Tab,F1,Tab,F1,Tab,F1,Return";
        row("round the controls, Down", "-|-|mm/dd", round.arg("Down"), "6|0|dd/mm", topics);
        row("round the controls, Up", "-|-|dd/mm", round.arg("Up"), "6|0|mm/dd", topics);
    }
    void dialog() {
        QFETCH(QString, before);
        QFETCH(QString, keys);
        QFETCH(QList<int>, help);
        QFETCH(bool, open);
        WindowFixture f;
        for (int i = 0; i < kKeys.size(); ++i) {
            if (before.section('|', i, i) != "-")
                f.settings.save(kKeys[i], before.section('|', i, i));
        }
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
        QTEST(stored(f.settings), "after");
        QCOMPARE(f.messages.shown.size(), open && help.isEmpty() ? 1 : 0);
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
};

QTEST_MAIN(TestOptions)
#include "test_options.moc"
