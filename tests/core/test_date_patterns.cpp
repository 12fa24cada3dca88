// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/date_patterns.h"

#include <QTest>

using namespace nudgewell;

class TestDatePatterns : public QObject {
    Q_OBJECT

private slots:
    void format_data() {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* pattern, const char* locale, const char* expected,
                            QTime time = QTime(0, 0)) {
            QTest::addRow("%s %s", pattern, locale)
                << time << QString(pattern) << QString(locale) << QString(expected);
        };
        row("dd/mm/yy", "en_GB", "25/12/01");
        row("mm/dd/yyyy", "en_US", "12/25/2001");
        row("mm-dd", "en_US", "12-25");
        row("mm-dd-yy", "en_US", "12-25-01");
        row("dddd", "en_US", "Tuesday");
        row("ddd", "en_GB", "Tue");
        row("hh:nn am/pm", "en_GB", "09:05 pm", QTime(21, 5));
        row("hh:nn am/pm", "en_US", "12:30 am", QTime(0, 30));
        row("medium date", "en_US", "Dec 25, 2001");
        row("medium date", "en_GB", "25 Dec 2001");
        row("short date", "en_US", "12/25/01");
        row("long date", "en_GB", "Tuesday, 25 December 2001");
    }
    void format() {
        QFETCH(QTime, time);
        QFETCH(QString, pattern);
        QFETCH(QString, locale);
        QFETCH(QString, expected);
        QCOMPARE(Format(QDateTime(QDate(2001, 12, 25), time), pattern, QLocale(locale)), expected);
    }

    void parseStoredDate_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("underDayFirst");
        QTest::addColumn<QDate>("underMonthFirst");
        const QDate christmas(2001, 12, 25);
        QTest::newRow("ambiguous") << "05/12/2001" << QDate(2001, 12, 5) << QDate(2001, 5, 12);
        QTest::newRow("day above 12") << "25/12/2001" << christmas << christmas;
        QTest::newRow("month-first text") << "12/25/2001" << christmas << christmas;
        QTest::newRow("blank before a one-digit day")
            << " 5/12/2001" << QDate(2001, 12, 5) << QDate(2001, 5, 12);
        QTest::newRow("29 February 2000")
            << "29/02/2000" << QDate(2000, 2, 29) << QDate(2000, 2, 29);
        for (const char* bad : {"", "garbage", "13/13/2001", "1/2", "31/02/2001", "25/12/2001x",
                                "29/02/1900", "12/25/0099", "12/25/20x1"})
            QTest::addRow("unreadable \"%s\"", bad) << QString(bad) << QDate() << QDate();
    }
    void parseStoredDate() {
        QFETCH(QString, text);
        QFETCH(QDate, underDayFirst);
        QFETCH(QDate, underMonthFirst);
        QCOMPARE(ParseStoredDate(text, QLocale("en_GB")), underDayFirst);
        QCOMPARE(ParseStoredDate(text, QLocale("en_US")), underMonthFirst);
        QCOMPARE(ParseStoredDate(text, QLocale::c()), underMonthFirst); // C counts as month-first
        // The record bytes take a shorter way for the form the program writes.
        const QByteArray bytes = text.toLatin1();
        QCOMPARE(ParseStoredDate(QLatin1StringView(bytes), DateOrder::DayFirst), underDayFirst);
        QCOMPARE(ParseStoredDate(QLatin1StringView(bytes), DateOrder::MonthFirst), underMonthFirst);
        const DateParts parts = ParseStoredDateParts(QLatin1StringView(bytes), DateOrder::DayFirst);
        QCOMPARE(parts.isValid() ? QDate(parts.year, parts.month, parts.day) : QDate(),
                 underDayFirst);
    }
};

QTEST_GUILESS_MAIN(TestDatePatterns)
#include "test_date_patterns.moc"
