// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/print_layout.h"
#include "data/view_lines.h"
#include "fakes.h"

#include <QRegularExpression>
#include <QTest>

using namespace nudgewell;
using namespace nudgewell::test;

class TestViewLines : public QObject {
    Q_OBJECT

private slots:
    // Records are given as "WA02/12/2002Gym|...": frequency code, years flag, ten-character
    // date, text. Each line is reported with its padded text trimmed, then "#<record>".
    void lines_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("days"); // -1 for the all view
        QTest::addColumn<bool>("dayFirst");
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("expected");
        const QDate thu(2002, 12, 5);
        const auto row = [](const char* name, QDate today, int days, const char* given,
                            const char* expected, bool dayFirst = true) {
            QTest::newRow(name) << today << days << dayFirst << QString(given) << QString(expected);
        };
        row("all, day-first: words, years, sorted by text", thu, -1,
            "YA25/12/1990Wed|OX03/01/2002Job|WA25/12/2003Gym|MX10/01/2002Rent|ZX05/12/2002Odd",
            "03/01/02   Thu\tOnce   \tJob#2|05/12/02   Thu\tZ\tOdd#5|"
            "10/01/02   Thu\tMonthly\tRent#4|25/12/03   Thu\tWeekly \tGym ... -1 years#3|"
            "25/12/90   Tue\tYearly \tWed ... 12 years#1");
        row("all, month-first sorts by month", thu, -1, "YX12/25/2001Xmas|OX01/03/2002Job",
            "01/03/02   Thu\tOnce   \tJob#2|12/25/01   Tue\tYearly \tXmas#1", false);
        row("all, case-insensitive, ties in file order", thu, -1,
            "OX03/01/2002B|OX03/01/2002a|OX03/01/2002A",
            "03/01/02   Thu\tOnce   \ta#2|03/01/02   Thu\tOnce   \tA#3|"
            "03/01/02   Thu\tOnce   \tB#1");
        row("all, unreadable date kept as stored", thu, -1, "OXgarbage   Bad|OX31/02/2002Nil",
            "31/02/2002      \tOnce   \tNil#2|garbage      \tOnce   \tBad#1");
        row("weekly once in a week", thu, 6, "WX02/12/2002Gym", "09/12/02   Mon\tWeekly \tGym#1");
        row("weekly twice in a fortnight, others between, last day included", thu, 14,
            "WX02/12/2002Gym|MX10/01/2002Rent|YX19/12/1970Bday",
            "09/12/02   Mon\tWeekly \tGym#1|10/12/02   Tue\tMonthly\tRent#2|"
            "16/12/02   Mon\tWeekly \tGym#1|19/12/02   Thu\tYearly \tBday#3");
        row("weekly across a month end", QDate(2002, 11, 28), 6, "WX26/11/2002Gym",
            "03/12/02   Tue\tWeekly \tGym#1");
        row("366 days ahead: the last day is in, the next is not", thu, 366,
            "OX06/12/2003In|OX07/12/2003Out", "06/12/03   Sat\tOnce   \tIn#1");
        row("years count from today, not the line", QDate(2002, 12, 28), 6, "YA02/01/1990Wed",
            "02/01/03   Thu\tYearly \tWed ... 12 years#1");
        row("monthly 31st in November", QDate(2002, 11, 1), 29, "MX31/10/2002Pay", "");
        row("29 February, no leap year", QDate(2003, 2, 25), 6, "YX29/02/1996Leap", "");
        row("29 February, leap year", QDate(2004, 2, 25), 6, "YX29/02/1996Leap",
            "29/02/04   Sun\tYearly \tLeap#1");
        row("one-time: today and a century back, not yesterday", thu, 6,
            "OX04/12/2002Yesterday|OX05/12/2002Today|OX05/12/1902Century",
            "05/12/02   Thu\tOnce   \tToday#2|05/12/02   Thu\tOnce   \tCentury#3");
        // A damaged record's control bytes (NUL written as @) show as blanks.
        row("all, control bytes in text, date and frequency", thu, -1,
            "OX03/01/2002Two\nlines\r\x1f@|OX03/0\r/2002Date|\tX03/01/2002Freq",
            "03/0 /2002      \tOnce   \tDate#2|03/01/02   Thu\t \tFreq#3|"
            "03/01/02   Thu\tOnce   \tTwo lines#1");
        row("upcoming, control bytes in text", thu, 6, "WA02/12/2002Gym\r\nclass",
            "09/12/02   Mon\tWeekly \tGym  class ... 0 years#1");
        row("unknown code and unreadable dates never occur", thu, 6,
            "ZX05/12/2002Odd|WXgarbage   Bad|MX31/02/2002Nil", "");
    }
    void lines() {
        QFETCH(QDate, today);
        QFETCH(int, days);
        QFETCH(bool, dayFirst);
        QFETCH(QString, given);
        QFETCH(QString, expected);
        std::vector<ReminderRecord> all;
        for (const QString& s : given.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
            const QString text = QString(s.mid(12)).replace('@', QChar(0));
            all.push_back(ReminderRecord::fromBytes(
                recordBytes(text, s[1].toLatin1(), s[0].toLatin1(), s.mid(2, 10)), 70));
        }
        const ViewContext ctx =
            ViewContext::make(today, dayFirst ? DateOrder::DayFirst : DateOrder::MonthFirst,
                              QLocale(dayFirst ? "en_GB" : "en_US"));
        // On screen and on paper a line holds its two tabs and no other control character,
        // whatever bytes a damaged record holds.
        const auto wellFormed = [](const QString& line, int tabs) {
            for (QChar c : line) {
                if (c.unicode() < 0x20 && (c != u'\t' || --tabs < 0))
                    return false;
            }
            return tabs == 0;
        };
        QStringList keys;
        for (const ListLine& line :
             days < 0 ? buildAllLines(all, ctx) : buildUpcomingLines(all, ctx, days)) {
            QVERIFY2(wellFormed(line.text, 2), qPrintable(line.text));
            // All 55 characters of the text, then the blanks that pad it taken out.
            QVERIFY2(line.text.section(u'\t', 2).size() >= 55, qPrintable(line.text));
            static const QRegularExpression padding(" {2,}(?= \\.\\.\\. |$)");
            keys << QString(line.text).remove(padding) + '#' + QString::number(line.record);
        }
        QCOMPARE(keys.join(QLatin1Char('|')), expected);
        const QStringList printed =
            days < 0 ? printedAllLines(all, ctx) : printedUpcomingLines(all, ctx);
        for (const QString& line : printed)
            QVERIFY2(wellFormed(line, 1) && !line.startsWith(u' '), qPrintable(line));
    }
};

QTEST_GUILESS_MAIN(TestViewLines)
#include "test_view_lines.moc"
