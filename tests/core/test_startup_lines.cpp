// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up list's line for one record; the purge is driven through the window.
#include "data/startup_log.h"

#include <QTest>

using namespace nudgewell;

Q_DECLARE_METATYPE(StartupDateColumn)

class TestStartupLines : public QObject {
    Q_OBJECT

private slots:
    void line_data() {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<StartupDateColumn>("column");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("line");
        const auto stored = StartupDateColumn::AsStored;
        const auto purged = StartupDateColumn::Reformatted;
        const auto row = [](const char* name, const char* record, StartupDateColumn column,
                            const char* locale, const QString& line) {
            QTest::newRow(name) << QByteArray(record) << column << QString(locale) << line;
        };
        row("as stored", "10/17/200210:30:15 AM ", stored, "en_US",
            " 10/17/2002    10:30 am    Thursday\t7");
        row("after a purge", "10/17/200210:30:15 AM ", purged, "en_US",
            " 10/17/02    10:30 am    Thursday\t7");
        // Read in the locale's order; a day above 12 can only be a day.
        row("24-hour, day-first record", "17/10/200222:05:00    ", purged, "en_US",
            " 10/17/02    10:05 pm    Thursday\t7");
        row("ambiguous date, day-first locale", "05/12/200208:00:00    ", purged, "de_DE",
            " 12/05/02    08:00 am    Donnerstag\t7");
        row("midnight", "10/17/200212:15:00 AM ", stored, "en_US",
            " 10/17/2002    12:15 am    Thursday\t7");
        row("unit signs lost to the code page", "10/17/200214?54?37?   ", stored, "ja_JP",
            " 10/17/2002    02:54 pm    \u6728\u66dc\u65e5\t7");
        // What cannot be read is shown as it is, with no weekday.
        row("unreadable", "garbage   13:00:00 PM ", stored, "en_US",
            " garbage       13:00:00 PM    \t7");
        row("unreadable after a purge", "garbage   13:75:00    ", purged, "en_US",
            " garbage    13:75:00    \t7");
    }
    void line() {
        QFETCH(QByteArray, record);
        QFETCH(StartupDateColumn, column);
        QFETCH(QString, locale);
        QFETCH(QString, line);
        QCOMPARE(StartupListLine(record, 7, column, QLocale(locale)), line);
    }
};

QTEST_GUILESS_MAIN(TestStartupLines)
#include "test_startup_lines.moc"
