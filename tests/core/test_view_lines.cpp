// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/view_lines.h"
#include "fakes.h"

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
        for (const QString& s : given.split(QLatin1Char('|'), Qt::SkipEmptyParts))
            all.push_back(ReminderRecord::fromBytes(
                recordBytes(s.mid(12), s[1].toLatin1(), s[0].toLatin1(), s.mid(2, 10)), 70));
        const ViewContext ctx =
            ViewContext::make(today, dayFirst ? DateOrder::DayFirst : DateOrder::MonthFirst,
                              QLocale(dayFirst ? "en_GB" : "en_US"));
        QStringList keys;
        for (ListLine line :
             days < 0 ? buildAllLines(all, ctx) : buildUpcomingLines(all, ctx, days)) {
            const ReminderRecord& r = all.at(line.record - 1);
            QVERIFY2(line.text.contains(r.text()), qPrintable(line.text)); // all 55 characters
            keys << line.text.replace(r.text(), r.trimmedText()) + '#' +
                        QString::number(line.record);
        }
        QCOMPARE(keys.join(QLatin1Char('|')), expected);
        if (days < 0)
            return;
        // One at a time into a reused string, the same lines.
        const std::vector<ListLine> built = buildUpcomingLines(all, ctx, days);
        std::vector<ListLine> streamed;
        forEachUpcomingLine(all, ctx, days, [&](const QString& text, int record) {
            streamed.push_back({text, record});
        });
        QCOMPARE(streamed.size(), built.size());
        for (std::size_t i = 0; i < built.size(); ++i) {
            QCOMPARE(streamed[i].text, built[i].text);
            QCOMPARE(streamed[i].record, built[i].record);
        }
    }
};

QTEST_GUILESS_MAIN(TestViewLines)
#include "test_view_lines.moc"
