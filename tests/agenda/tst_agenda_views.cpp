// SPDX-License-Identifier: GPL-3.0-or-later
// The agenda prints what the window's lists show, for the same file, day and settings.
#include "agenda/agenda.h"
#include "data/settings.h"
#include "fake_services.h"
#include "fakes.h"
#include "main/main_window.h"
#include "platform/help_viewer.h"
#include "platform/message_boxes.h"

#include <QBuffer>
#include <QListView>
#include <QtTest>

#include <tuple>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

// Every frequency, month ends, 29 February, dates in both orders, a duplicate text, non-ASCII
// text and a short last record.
QByteArray fixture() {
    const std::tuple<const char*, char, char, const char*> records[] = {
        {"Rent due", 'X', 'M', "03/31/2020"},     {"Pay the card", 'X', 'M', "30/01/2024"},
        {"Water plants", 'X', 'M', "01/29/2025"}, {"Leap birthday", 'A', 'Y', "02/29/1996"},
        {"New Year", 'X', 'Y', "01/01/2000"},     {"Anniversary", 'A', 'Y', "12/31/1990"},
        {"Dentist", 'X', 'O', "03/02/2027"},      {"Dentist", 'X', 'O', "02/28/2027"},
        {"Leap check", 'X', 'O', "02/29/2028"},   {"Caf\u00e9 \u20ac5", 'A', 'Y', "02/01/2001"}};
    QByteArray all;
    for (const auto& [text, flag, code, date] : records)
        all += recordBytes(QString::fromUtf8(text), flag, code, QLatin1String(date));
    return all + recordBytes(QStringLiteral("Bins out"), 'X', 'W', "1/5/2026").chopped(2);
}

// The printed lines, the last one empty when the output ends in a line break.
QStringList agenda(const QStringList& arguments, const Clock& clock, const SettingsStore& settings,
                   const QString& dir) {
    QBuffer out, err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    return runAgenda(arguments, clock, settings, dir, out, err) == 0 && err.data().isEmpty()
               ? QString::fromUtf8(out.data()).split(u'\n')
               : QStringList{QString::fromUtf8(err.data())};
}

QStringList shown(const MainWindow& window, const char* list) {
    QStringList lines;
    const auto* model = window.findChild<QListView*>(QLatin1String(list))->model();
    for (int row = 0; row < model->rowCount(); ++row)
        lines << model->index(row, 0).data().toString();
    return lines << QString();
}

} // namespace

class TestAgendaViews : public QObject {
    Q_OBJECT

private slots:
    void sameLinesAsWindow_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QStringList>("saved"); // settings and their values

        QTest::newRow("31 Jan") << QDate(2027, 1, 31) << QStringList();
        QTest::newRow("29 Feb") << QDate(2028, 2, 29) << QStringList();
        QTest::newRow("28 Feb") << QDate(2027, 2, 28) << QStringList();
        QTest::newRow("31 Dec") << QDate(2026, 12, 31) << QStringList();
        QTest::newRow("31 Dec, dd/mm, 14 days")
            << QDate(2026, 12, 31)
            << QStringList{keys::CalendarFormat, "dd/mm", keys::DaysChecked, "14"};
    }

    void sameLinesAsWindow() {
        QFETCH(QDate, today);
        QFETCH(QStringList, saved);

        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("reminder.dat")), fixture());
        // German day names, where the system's would be English.
        FakeClock clock(QDateTime(today, QTime(10, 30)),
                        QLocale(QLocale::German, QLocale::Germany));
        SettingsStore settings(dir.filePath(QStringLiteral("settings.ini")));
        for (qsizetype i = 0; i + 1 < saved.size(); i += 2)
            QVERIFY(settings.save(saved[i], saved[i + 1]));
        // Before the window starts, which writes the settings it misses.
        const QStringList upcoming = agenda({}, clock, settings, dir.path());
        const QStringList all = agenda({QStringLiteral("--all")}, clock, settings, dir.path());
        // --days overrides the setting, which here always looks past today.
        QVERIFY(agenda({"--days", "0"}, clock, settings, dir.path()).size() < upcoming.size());

        FakeMessageBoxes messages;
        FakeHelp help;
        FakePrinter printer;
        FakeClipboard clipboard;
        FakeSystemDate systemDate;
        MainWindow window(Services{clock, settings, messages, help, FileSystem::real(), printer,
                                   clipboard, systemDate, dir.path()});
        QVERIFY(window.startUp());
        QCOMPARE(upcoming, shown(window, "reminderlist"));
        window.menushowall_Click();
        QCOMPARE(all.size(), 12);
        QCOMPARE(all, shown(window, "reminderlist2"));
    }
};

QTEST_MAIN(TestAgendaViews)
#include "tst_agenda_views.moc"
