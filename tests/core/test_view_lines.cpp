// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/view_lines.h"
#include "fakes.h"

#include <QTest>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

// "WA02/12/2002Gym|...": frequency code, years flag, ten-character date, then the text.
std::vector<ReminderRecord> records(const QString& given) {
    std::vector<ReminderRecord> out;
    for (const QString& s : given.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const QByteArray bytes =
            recordBytes(s.mid(12), s[1].toLatin1(), s[0].toLatin1(), s.mid(2, 10));
        out.push_back(ReminderRecord::fromBytes(bytes.constData(), bytes.size()));
    }
    return out;
}

ViewContext context(const QDate& today, bool dayFirst) {
    return ViewContext::make(today, dayFirst ? DateOrder::DayFirst : DateOrder::MonthFirst,
                             QLocale(dayFirst ? "en_GB" : "en_US"));
}

// Each line as "<date and weekday>#<record>", after checking that the rest of the line is
// the record's frequency word, its stored text and the expected years.
QString checkedKeys(const std::vector<ListLine>& lines, const std::vector<ReminderRecord>& all,
                    const QString& suffix) {
    QStringList keys;
    for (const ListLine& line : lines) {
        const ReminderRecord& r = all.at(line.record - 1);
        if (line.text.section(QLatin1Char('\t'), 1) !=
            FrequencyWord(r.frequencyCode()) + QLatin1Char('\t') + r.text() + suffix)
            return QStringLiteral("bad line: ") + line.text;
        keys << line.text.section(QLatin1Char('\t'), 0, 0) + QLatin1Char('#') +
                    QString::number(line.record);
    }
    return keys.join(QLatin1Char('|'));
}

} // namespace

class TestViewLines : public QObject {
    Q_OBJECT

private slots:
    void wordAndSuffix_data() {
        QTest::addColumn<char>("code");
        QTest::addColumn<char>("flag");
        QTest::addColumn<int>("storedYear");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("once, years past") << 'O' << 'A' << 1990 << "Once   "
                                          << " ... 12 years";
        QTest::newRow("weekly, future year") << 'W' << 'A' << 2003 << "Weekly "
                                             << " ... -1 years";
        QTest::newRow("monthly, no years") << 'M' << 'X' << 1990 << "Monthly"
                                           << "";
        QTest::newRow("yearly") << 'Y' << 'X' << 1990 << "Yearly "
                                << "";
        QTest::newRow("unknown code as stored") << 'Z' << 'X' << 1990 << "Z"
                                                << "";
    }
    void wordAndSuffix() {
        QFETCH(char, code);
        QFETCH(char, flag);
        QFETCH(int, storedYear);
        QFETCH(QString, word);
        QFETCH(QString, suffix);
        QCOMPARE(FrequencyWord(code), word);
        QCOMPARE(YearsSuffix(flag, 2002, storedYear), suffix);
    }

    void viewLineLayout() {
        const ReminderRecord record = records("YA25/12/1990Anniversary").front();
        const QString line = ViewLine(QDate(2001, 12, 25), record, QDate(1990, 12, 25),
                                      context(QDate(2002, 6, 1), true));
        const QString text = QStringLiteral("Anniversary").leftJustified(55);
        QCOMPARE(line, "25/12/01   Tue\tYearly \t" + text + " ... 12 years");
        // The selection cuts the text from characters 24 to 78.
        QCOMPARE(line.mid(23, 55), text);
    }

    void allLines_data() {
        QTest::addColumn<bool>("dayFirst");
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("expected");
        QTest::newRow("day-first sorts by day")
            << true << "YX25/12/2001Christmas|OX03/01/2002New job"
            << "03/01/02   Thu#2|25/12/01   Tue#1";
        QTest::newRow("month-first sorts by month")
            << false << "YX12/25/2001Christmas|OX01/03/2002New job"
            << "01/03/02   Thu#2|12/25/01   Tue#1";
        QTest::newRow("case-insensitive, ties in file order")
            << true << "OX03/01/2002banana|OX03/01/2002Apple|OX03/01/2002apple|OX03/01/2002Apple"
            << "03/01/02   Thu#2|03/01/02   Thu#3|03/01/02   Thu#4|03/01/02   Thu#1";
        QTest::newRow("unreadable date kept as stored")
            << true << "OXgarbage   Broken|OX31/02/2002Impossible"
            << "31/02/2002      #2|garbage      #1";
    }
    void allLines() {
        QFETCH(bool, dayFirst);
        QFETCH(QString, given);
        QFETCH(QString, expected);
        const auto all = records(given);
        QCOMPARE(checkedKeys(buildAllLines(all, context(QDate(2002, 12, 5), dayFirst)), all, {}),
                 expected);
    }

    void upcomingLines_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("days");
        QTest::addColumn<bool>("dayFirst");
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("suffix");
        const QDate thu(2002, 12, 5);
        const auto row = [](const char* name, QDate today, int days, const char* given,
                            const char* expected, const char* suffix = "", bool dayFirst = true) {
            QTest::newRow(name) << today << days << dayFirst << QString(given) << QString(expected)
                                << QString(suffix);
        };
        row("weekly once in a week", thu, 6, "WX02/12/2002Gym", "09/12/02   Mon#1");
        row("weekly twice in a fortnight, others between", thu, 14,
            "WX02/12/2002Gym|MX10/01/2002Rent|YX12/12/1970Birthday",
            "09/12/02   Mon#1|10/12/02   Tue#2|12/12/02   Thu#3|16/12/02   Mon#1");
        row("month-first shows and reads month-first", thu, 6, "WX12/02/2002Gym",
            "12/09/02   Mon#1", "", false);
        row("yearly counts years", QDate(2002, 12, 20), 15, "YA25/12/1990Wedding",
            "25/12/02   Wed#1", " ... 12 years");
        row("years count from today, not the line", QDate(2002, 12, 28), 6, "YA02/01/1990Wedding",
            "02/01/03   Thu#1", " ... 12 years");
        row("monthly 31st in November", QDate(2002, 11, 1), 29, "MX31/10/2002Pay", "");
        row("29 February, no leap year", QDate(2003, 2, 25), 6, "YX29/02/1996Leap", "");
        row("29 February, leap year", QDate(2004, 2, 25), 6, "YX29/02/1996Leap",
            "29/02/04   Sun#1");
        row("one-time: today and a century back, not yesterday", thu, 6,
            "MX07/11/2002Seventh|OX04/12/2002Yesterday|OX05/12/2002Today|OX05/12/1902Century",
            "05/12/02   Thu#3|05/12/02   Thu#4|07/12/02   Sat#1");
        row("unknown code and unreadable dates never occur", thu, 6,
            "ZX05/12/2002Odd|WXgarbage   Broken|MX31/02/2002Bad", "");
        row("no records", thu, 6, "", "");
        row("negative window is today only", thu, -3, "MX05/11/2002Fifth|MX06/11/2002Sixth",
            "05/12/02   Thu#1");
        row("same text, own record numbers", thu, 6, "WX02/12/2002Gym|WX02/12/2002Gym",
            "09/12/02   Mon#1|09/12/02   Mon#2");
    }
    void upcomingLines() {
        QFETCH(QDate, today);
        QFETCH(int, days);
        QFETCH(bool, dayFirst);
        QFETCH(QString, given);
        QFETCH(QString, expected);
        QFETCH(QString, suffix);
        const auto all = records(given);
        QCOMPARE(checkedKeys(buildUpcomingLines(all, context(today, dayFirst), days), all, suffix),
                 expected);
    }

    void upcomingWindowIsClamped() {
        const auto all = records("MX05/11/2002Fifth");
        const ViewContext ctx = context(QDate(2002, 12, 5), true);
        const std::vector<ListLine> year = buildUpcomingLines(all, ctx, 366);
        QCOMPARE(year.size(), size_t(13)); // 5 Dec 2002 to 6 Dec 2003
        QCOMPARE(checkedKeys(buildUpcomingLines(all, ctx, 1'000'000), all, {}),
                 checkedKeys(year, all, {}));
    }
};

QTEST_GUILESS_MAIN(TestViewLines)
#include "test_view_lines.moc"
