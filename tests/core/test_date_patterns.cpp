// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/date_patterns.h"

#include <QTest>

using namespace nudgewell;

class TestDatePatterns : public QObject {
    Q_OBJECT

private slots:
    void dateOrderFromSetting_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<bool>("dayFirst");
        QTest::newRow("exact") << "dd/mm" << true;
        QTest::newRow("upper case") << "DD/MM" << false;
        QTest::newRow("month first") << "mm/dd" << false;
        QTest::newRow("missing") << "" << false;
    }
    void dateOrderFromSetting() {
        QFETCH(QString, setting);
        QFETCH(bool, dayFirst);
        QCOMPARE(DateOrderFromSetting(setting) == DateOrder::DayFirst, dayFirst);
    }

    void format_data() {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, QTime time, const char* pattern, const char* locale,
                            const char* expected) {
            QTest::newRow(name) << QDateTime(QDate(2001, 12, 25), time) << QString(pattern)
                                << QString(locale) << QString(expected);
        };
        const QTime midnight(0, 0);
        row("two-digit year", midnight, "dd/mm/yy", "en_GB", "25/12/01");
        row("long month-first", midnight, "mm/dd/yyyy", "en_US", "12/25/2001");
        row("month-day", midnight, "mm-dd", "en_US", "12-25");
        row("month-day-year", midnight, "mm-dd-yy", "en_US", "12-25-01");
        row("year", midnight, "yyyy", "en_US", "2001");
        row("day", midnight, "dd", "en_US", "25");
        row("weekday", midnight, "dddd", "en_US", "Tuesday");
        row("short weekday", midnight, "ddd", "en_GB", "Tue");
        row("weekday from locale", midnight, "dddd", "de_DE", "Dienstag");
        // Stored dates must read back, so the separator never follows the locale.
        row("slash under de_DE", midnight, "dd/mm/yyyy", "de_DE", "25/12/2001");
        row("evening 12-hour", QTime(21, 5), "hh:nn am/pm", "en_GB", "09:05 pm");
        row("midnight 12-hour", QTime(0, 30), "hh:nn am/pm", "en_US", "12:30 am");
        row("short en_US", midnight, "short date", "en_US", "12/25/01");
        row("short en_GB", midnight, "short date", "en_GB", "25/12/2001");
        row("medium en_US", midnight, "medium date", "en_US", "Dec 25, 2001");
        row("medium en_GB", midnight, "medium date", "en_GB", "25 Dec 2001");
        row("long en_US", midnight, "long date", "en_US", "Tuesday, December 25, 2001");
        row("long en_GB", midnight, "long date", "en_GB", "Tuesday, 25 December 2001");
    }
    void format() {
        QFETCH(QDateTime, moment);
        QFETCH(QString, pattern);
        QFETCH(QString, locale);
        QFETCH(QString, expected);
        QCOMPARE(Format(moment, pattern, QLocale(locale)), expected);
    }

    void longTime_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("hour");
        QTest::addColumn<QString>("expected");
        QTest::newRow("en_US morning") << "en_US" << 10 << "10:30:15 AM";
        QTest::newRow("en_US evening") << "en_US" << 22 << "10:30:15 PM";
        QTest::newRow("en_GB") << "en_GB" << 10 << "10:30:15";
        QTest::newRow("C") << "C" << 22 << "22:30:15";
        // Locales whose zone sits in brackets or after a comma must not keep the leftovers.
        QTest::newRow("zone in brackets") << "es_ES" << 10 << "10:30:15";
        QTest::newRow("zone after comma") << "be_BY" << 10 << "10:30:15";
    }
    void longTime() {
        QFETCH(QString, locale);
        QFETCH(int, hour);
        QFETCH(QString, expected);
        QCOMPARE(longTimeText(QTime(hour, 30, 15), QLocale(locale)), expected);
    }

    void regionalOrder_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<bool>("dayFirst");
        QTest::newRow("en_US") << QLocale("en_US") << false;
        QTest::newRow("en_GB") << QLocale("en_GB") << true;
        QTest::newRow("de_DE") << QLocale("de_DE") << true;
        QTest::newRow("C") << QLocale::c() << false;
        QTest::newRow("year first") << QLocale("ja_JP") << false;
    }
    void regionalOrder() {
        QFETCH(QLocale, locale);
        QFETCH(bool, dayFirst);
        QCOMPARE(regionalDateOrder(locale) == DateOrder::DayFirst, dayFirst);
    }

    void parseStoredDate_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("underDayFirst");
        QTest::addColumn<QDate>("underMonthFirst");
        const QDate christmas(2001, 12, 25);
        QTest::newRow("ambiguous") << "05/12/2001" << QDate(2001, 12, 5) << QDate(2001, 5, 12);
        QTest::newRow("day above 12") << "25/12/2001" << christmas << christmas;
        QTest::newRow("month-first text") << "12/25/2001" << christmas << christmas;
        QTest::newRow("single digits") << "5/1/2002" << QDate(2002, 1, 5) << QDate(2002, 5, 1);
        for (const char* bad :
             {"", "garbage", "13/13/2001", "1/2", "31/02/2001", "  /  /    ", "25/12/2001x"})
            QTest::addRow("unreadable \"%s\"", bad) << QString(bad) << QDate() << QDate();
    }
    void parseStoredDate() {
        QFETCH(QString, text);
        QFETCH(QDate, underDayFirst);
        QFETCH(QDate, underMonthFirst);
        QCOMPARE(ParseStoredDate(text, QLocale("en_GB")), underDayFirst);
        QCOMPARE(ParseStoredDate(text, QLocale("en_US")), underMonthFirst);
    }
};

QTEST_GUILESS_MAIN(TestDatePatterns)
#include "test_date_patterns.moc"
