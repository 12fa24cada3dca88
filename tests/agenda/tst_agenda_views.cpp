// SPDX-License-Identifier: GPL-3.0-or-later
// The agenda prints what the window's lists show, for the same file, day and settings.
#include "agenda/agenda.h"
#include "data/settings.h"
#include "fakes.h"
#include "main/main_window.h"
#include "platform/file_system.h"
#include "platform/help_viewer.h"
#include "platform/message_boxes.h"

#include <QBuffer>
#include <QListView>
#include <QTemporaryDir>
#include <QtTest>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

class SilentMessages final : public MessageBoxes {
public:
    QStringList shown;
    void showMessage(QWidget*, const QString&, const QString& text, Icon) override {
        shown << text;
    }
    bool askYesNo(QWidget*, const QString&, const QString&) override { return false; }
};

class NoHelp final : public HelpViewer {
public:
    void ShowHelpContents() override {}
    void ShowHelpTopic(int) override {}
};

// Every frequency, month ends, 29 February, both years flags, duplicate texts, dates written
// in both orders, an unreadable date, an unknown code, a Western character and a short last
// record.
QByteArray fixture() {
    QByteArray all;
    all += recordBytes(QStringLiteral("Team meeting"), 'A', 'W', QStringLiteral("12/02/2002"));
    all += recordBytes(QStringLiteral("Gym"), 'X', 'W', QStringLiteral("01/15/2026"));
    all += recordBytes(QStringLiteral("Rent due"), 'X', 'M', QStringLiteral("03/31/2020"));
    all += recordBytes(QStringLiteral("Pay the card"), 'X', 'M', QStringLiteral("30/01/2024"));
    all += recordBytes(QStringLiteral("Water the plants"), 'X', 'M', QStringLiteral("01/29/2025"));
    all += recordBytes(QStringLiteral("Leap-day birthday"), 'A', 'Y', QStringLiteral("02/29/1996"));
    all += recordBytes(QStringLiteral("New Year"), 'X', 'Y', QStringLiteral("01/01/2000"));
    all += recordBytes(QStringLiteral("Anniversary"), 'A', 'Y', QStringLiteral("12/31/1990"));
    all += recordBytes(QStringLiteral("Dentist"), 'X', 'O', QStringLiteral("03/02/2027"));
    all += recordBytes(QStringLiteral("Dentist"), 'X', 'O', QStringLiteral("02/28/2027"));
    all += recordBytes(QStringLiteral("Century-old date"), 'X', 'O', QStringLiteral("01/01/1927"));
    all += recordBytes(QStringLiteral("Gym"), 'A', 'W', QStringLiteral("03/03/2027"));
    all += recordBytes(QStringLiteral("Leap check"), 'X', 'O', QStringLiteral("02/29/2028"));
    all += recordBytes(QStringLiteral("Odd code"), 'X', 'Q', QStringLiteral("12/31/2026"));
    all += recordBytes(QStringLiteral("Broken date"), 'X', 'W', QStringLiteral("31/31/2001"));
    all += recordBytes(QStringLiteral("Caf\u00e9 \u20ac5"), 'A', 'Y', QStringLiteral("02/01/2001"));
    all += recordBytes(QStringLiteral("Bins out"), 'X', 'W', QStringLiteral("1/5/2026")).chopped(2);
    return all;
}

QStringList agendaLines(const QStringList& arguments, const Clock& clock,
                        const SettingsStore& settings, const QString& directory) {
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    const int status = runAgenda(arguments, clock, settings, directory, out, err);
    if (status != 0 || !err.data().isEmpty()) {
        qWarning() << "agenda failed:" << status << err.data();
        return {QStringLiteral("<failed>")};
    }
    const QString text = QString::fromUtf8(out.data());
    if (!text.isEmpty() && !text.endsWith(u'\n'))
        return {QStringLiteral("<unterminated>")};
    QStringList lines = text.split(u'\n');
    lines.removeLast();
    return lines;
}

QStringList listLines(const MainWindow& window, const char* name) {
    QStringList out;
    const auto* model = window.findChild<QListView*>(QLatin1String(name))->model();
    for (int row = 0; row < model->rowCount(); ++row)
        out << model->index(row, 0).data().toString();
    return out;
}

} // namespace

class TestAgendaViews : public QObject {
    Q_OBJECT

private slots:
    void sameLinesAsWindow_data();
    void sameLinesAsWindow();
};

void TestAgendaViews::sameLinesAsWindow_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("calendarFormat");
    QTest::addColumn<QString>("daysChecked");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("windowDays"); // the window's "Days Checked", when --days differs

    const QStringList none;
    QTest::newRow("31 Jan") << QDate(2027, 1, 31) << "en_US"
                            << ""
                            << "" << none << "";
    QTest::newRow("28 Feb leap year") << QDate(2028, 2, 28) << "en_US"
                                      << ""
                                      << "" << none << "";
    QTest::newRow("29 Feb") << QDate(2028, 2, 29) << "en_GB"
                            << "dd/mm"
                            << "14" << none << "";
    QTest::newRow("28 Feb common year") << QDate(2027, 2, 28) << "en_US"
                                        << ""
                                        << "" << none << "";
    QTest::newRow("31 Dec") << QDate(2026, 12, 31) << "en_US"
                            << "mm/dd"
                            << "" << none << "";
    QTest::newRow("31 Dec day-first, 14 days") << QDate(2026, 12, 31) << "en_GB"
                                               << "dd/mm"
                                               << "14" << none << "";
    QTest::newRow("30 Apr dd/mm in a month-first locale") << QDate(2027, 4, 30) << "en_US"
                                                          << "dd/mm"
                                                          << "14" << none << "";
    QTest::newRow("German weekdays") << QDate(2027, 1, 29) << "de_DE"
                                     << ""
                                     << "" << none << "";
    QTest::newRow("unreadable Days Checked") << QDate(2026, 12, 31) << "en_US"
                                             << ""
                                             << "soon" << none << "";
    QTest::newRow("--days over the setting") << QDate(2027, 2, 20) << "en_US"
                                             << ""
                                             << "3" << QStringList{"--days", "14"} << "14";
    QTest::newRow("--days=0") << QDate(2027, 3, 2) << "en_US"
                              << ""
                              << "9" << QStringList{"--days=0"} << "0";
}

void TestAgendaViews::sameLinesAsWindow() {
    QFETCH(QDate, today);
    QFETCH(QString, locale);
    QFETCH(QString, calendarFormat);
    QFETCH(QString, daysChecked);
    QFETCH(QStringList, arguments);
    QFETCH(QString, windowDays);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.filePath(QStringLiteral("reminder.dat")), fixture());
    FakeClock clock(QDateTime(today, QTime(10, 30)), QLocale(locale));
    SettingsStore settings(dir.filePath(QStringLiteral("settings.ini")));
    if (!calendarFormat.isEmpty())
        QVERIFY(settings.save(keys::CalendarFormat, calendarFormat));
    if (!daysChecked.isEmpty())
        QVERIFY(settings.save(keys::DaysChecked, daysChecked));

    // Before the window starts: it writes a missing "Days Checked", the agenda must not.
    const QStringList upcoming = agendaLines(arguments, clock, settings, dir.path());
    const QStringList all =
        agendaLines(arguments + QStringList{"--all"}, clock, settings, dir.path());
    QCOMPARE(settings.get(keys::DaysChecked), daysChecked);
    if (!windowDays.isEmpty())
        QVERIFY(settings.save(keys::DaysChecked, windowDays));

    SilentMessages messages;
    NoHelp help;
    MainWindow window(Services{clock, settings, messages, help, FileSystem::real(), dir.path()});
    QVERIFY(window.startUp());
    QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.shown.join(u'\n')));

    const QStringList shownUpcoming = listLines(window, "reminderlist");
    QVERIFY(!shownUpcoming.isEmpty());
    QCOMPARE(upcoming, shownUpcoming);

    window.menushowall_Click();
    const QStringList shownAll = listLines(window, "reminderlist2");
    QCOMPARE(shownAll.size(), 17);
    QCOMPARE(all, shownAll);
}

QTEST_MAIN(TestAgendaViews)
#include "tst_agenda_views.moc"
