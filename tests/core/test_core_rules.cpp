// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of the data side that need no file: dates, the copied date, the purge, the stored
// settings' values, both lists, the start-up list's lines, the printed pages and the
// notification at start.
#include "data/copy_date.h"
#include "data/date_patterns.h"
#include "data/print_layout.h"
#include "data/reminder_rules.h"
#include "data/settings.h"
#include "data/start_notice.h"
#include "data/startup_log.h"
#include "data/startup_log_file.h"
#include "data/view_lines.h"
#include "fakes.h"

#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

using namespace nudgewell;
using namespace nudgewell::test;

Q_DECLARE_METATYPE(StartupDateColumn)

namespace {

// A page as segments: "H<n>@<top>" for a heading line, "<a>-<b>@<top>" for list lines a to b
// that follow each other one line height apart from `top`.
QString summarize(const PrintedPage& page, double lineHeight) {
    QStringList out;
    for (std::size_t i = 0; i < page.size(); ++i) {
        const PlacedLine& line = page[i];
        const int before = i > 0 ? page[i - 1].text.toInt() : 0; // 0 for a heading
        if (line.left != kPrintLeft)
            out << "left " + QString::number(line.left);
        else if (before > 0 && line.text.toInt() == before + 1 &&
                 line.top == page[i - 1].top + lineHeight)
            out.last().replace(QRegularExpression("(-\\d+)?@"), '-' + line.text + '@');
        else
            out << line.text + '@' + QString::number(line.top);
    }
    return out.join(' ');
}

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

// "YA12/05/1977Anna|...": frequency code, years flag, ten-character date, text ('@' for NUL).
std::vector<ReminderRecord> records(const QString& given) {
    std::vector<ReminderRecord> out;
    for (const QString& r : given.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const QByteArray bytes = recordBytes(QString(r.mid(12)).replace('@', QChar(0)),
                                             r[1].toLatin1(), r[0].toLatin1(), r.mid(2, 10));
        out.push_back(ReminderRecord::fromBytes(bytes.constData(), bytes.size()));
    }
    return out;
}

QByteArray startAt(const QDate& day, DateOrder order = DateOrder::MonthFirst) {
    return StartupRecord::build(QDateTime(day, QTime(8, 15)), order, kEnglish);
}

QString ymd(int year, int month, int day) {
    return QString::asprintf("%d-%d-%d", year, month, day);
}

// On screen and on paper a line holds its tabs and no other control character, whatever
// bytes a damaged record holds.
bool wellFormed(const QString& line, int tabs) {
    for (QChar c : line) {
        if (c.unicode() < 0x20 && (c != u'\t' || --tabs < 0))
            return false;
    }
    return tabs == 0;
}

// Each rule as text: what it is given and what it gives.
QString apply(const QString& rule, const QString& input) {
    const auto gb = QLocale(QLocale::English, QLocale::UnitedKingdom);
    if (rule == "date") { // read in both regional orders; C counts as month-first
        const QByteArray bytes = input.toLatin1(); // the shorter way for the record bytes
        const QDate dayFirst = ParseStoredDate(input, gb),
                    monthFirst = ParseStoredDate(input, kEnglish);
        if (ParseStoredDate(input, QLocale::c()) != monthFirst ||
            ParseStoredDate(QLatin1StringView(bytes), DateOrder::DayFirst) != dayFirst ||
            ParseStoredDate(QLatin1StringView(bytes), DateOrder::MonthFirst) != monthFirst)
            return "the ways disagree";
        return dayFirst.toString(Qt::ISODate) + ' ' + monthFirst.toString(Qt::ISODate);
    }
    if (rule == "copy") { // "Key=value;..." (a missing key left out), 4 March 2002; "-": none
        QHash<QString, QString> store;
        for (const QString& pair : input.split(';', Qt::SkipEmptyParts))
            store.insert(pair.section('=', 0, 0), pair.section('=', 1));
        return copyDateText(
                   QDate(2002, 3, 4), [&](const QString& key) { return store.value(key); },
                   store.contains("Locale") ? QLocale(store["Locale"]) : gb)
            .value_or("-");
    }
    if (rule == "purge") { // "<locale> <code> <date>" on Friday 6 December 2002
        const QByteArray bytes = recordBytes("Dentist", 'X', input[6].toLatin1(), input.mid(8));
        const ReminderRecord record = ReminderRecord::fromBytes(bytes.constData(), 70);
        return isPastOneTime(record, QDate(2002, 12, 6), QLocale(input.left(5))) ? "past" : "stays";
    }
    if (rule == "days")
        return QString::number(daysCheckedOrDefault(input));
    if (rule == "window") { // "<height>,<width>" -> "<width> x <height>" as written back
        const WindowSizeTwips size =
            storedWindowSize(input.section(',', 0, 0), input.section(',', 1));
        return twipsText(size.width) + " x " + twipsText(size.height);
    }
    if (rule == "start-up line") // "<locale> <S: as stored, R: after a purge> <record>"
        return StartupListLine(input.mid(8).toLatin1(), 7,
                               input[6] == 'S' ? StartupDateColumn::AsStored
                                               : StartupDateColumn::Reformatted,
                               QLocale(input.left(5)));
    if (rule == "pages") { // "<lines> <headed|bare> <page height>" -> pages joined by " | "
        QStringList texts, pages;
        for (int i = 1; i <= input.section(' ', 0, 0).toInt(); ++i)
            texts << QString::number(i);
        for (const PrintedPage& page :
             layOutPrintout({"H1", "H2"}, texts, input.section(' ', 1, 1) == "headed", 240,
                            input.section(' ', 2).toDouble()))
            pages << summarize(page, 240);
        return pages.join(" | ");
    }
    // "all": "<GB|US> <records>" -> each line with the blanks that pad its text taken out, then
    // "#<record>".
    const bool dayFirst = input.startsWith("GB");
    const std::vector<ReminderRecord> all = records(input.mid(3));
    const ViewContext ctx = ViewContext::make(
        QDate(2002, 12, 5), dayFirst ? DateOrder::DayFirst : DateOrder::MonthFirst,
        dayFirst ? gb : kEnglish);
    QStringList lines;
    for (const ListLine& line : buildAllLines(all, ctx)) {
        // All 55 characters of the text are there before the padding goes.
        if (!wellFormed(line.text, 2) || line.text.section(u'\t', 2).size() < 55)
            return "malformed: " + line.text;
        static const QRegularExpression padding(" {2,}(?= \\.\\.\\. |$)");
        lines << QString(line.text).remove(padding) + '#' + QString::number(line.record);
    }
    for (const QString& line : printedAllLines(all, ctx) + printedUpcomingLines(all, ctx)) {
        if (!wellFormed(line, 1) || line.startsWith(u' '))
            return "malformed on paper: " + line;
    }
    return lines.join('|');
}

} // namespace

class TestCoreRules : public QObject {
    Q_OBJECT

private slots:
    void rules_data() {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* rule, const char* name, const char* input,
                            const QString& expected) {
            QTest::addRow("%s: %s", rule, name) << QString(rule) << QString(input) << expected;
        };
        // Dates in forms the program does not write: day-first, then month-first. Its own
        // "nn/nn/nnnn" is checked against QDate below.
        row("date", "blank before a one-digit day", " 5/12/2001", "2001-12-05 2001-05-12");
        row("date", "two-digit year 29", "1-2-29", "2029-02-01 2029-01-02");
        row("date", "two-digit year 30", "25.12.30", "1930-12-25 1930-12-25");
        for (const char* bad : {"", "garbage", "1/2", "25/12/2001x", "12/25/20x1", "1//2001",
                                "12/25/00099", "123/1/2001"})
            row("date", bad, bad, " ");

        row("copy", "no settings", "", "-");
        row("copy", "copy alone", "Copy Date=yes", "Monday, 4 March 2002");
        row("copy", "copy with a capital", "Copy Date=Yes", "-");
        row("copy", "long no alone", "Copy Date=yes;Long Date=no", "-");
        row("copy", "long stored empty", "Copy Date=yes;Long Date=", "Monday, 4 March 2002");
        row("copy", "short beats medium",
            "Copy Date=yes;Short Date=yes;Medium Date=yes;Long Date=no", "04/03/2002");
        row("copy", "medium, day first", "Copy Date=yes;Medium Date=yes;Long Date=no",
            "4 Mar 2002");
        row("copy", "medium, month first",
            "Copy Date=yes;Medium Date=yes;Long Date=no;Locale=en_US", "Mar 4, 2002");
        row("copy", "trailing blank", "Copy Date=yes ", "-");
        row("copy", "capitals fall through", "Copy Date=yes;Short Date=Yes;Medium Date=YES",
            "Monday, 4 March 2002");
        row("copy", "capital long", "Copy Date=yes;Short Date=no;Long Date=Yes", "-");

        // Stored dates are read in the regional order, whatever "Calendar Format" says.
        row("purge", "month-first: yesterday", "en_US O 12/05/2002", "past");
        row("purge", "month-first: today", "en_US O 12/06/2002", "stays");
        row("purge", "month-first: 12 July", "en_US O 07/12/2002", "past");
        row("purge", "day-first: today", "en_GB O 06/12/2002", "stays");
        row("purge", "day-first: 7 December", "en_GB O 07/12/2002", "stays");
        row("purge", "day-first: a month-first date reads as 12 May", "de_DE O 12/05/2002", "past");
        row("purge", "day-first: no month 25, read month-first", "en_GB O 12/25/2001", "past");
        row("purge", "neither order reads 31/31", "en_GB O 31/31/2001", "stays");
        row("purge", "blank", "en_US O           ", "stays");
        for (const char* code : {"W", "M", "Y", "Z"})
            row("purge", code, qPrintable(QString("en_US %1 12/05/1990").arg(code)), "stays");

        // Odd stored values fall back to the first run's.
        for (const auto& [days, read] : {std::pair{"", "6"},
                                         {"-1", "6"},
                                         {"366", "366"},
                                         {"367", "6"},
                                         {"2147483648", "6"},
                                         {"0", "0"}})
            row("days", days, days, read);
        row("window", "fractions", "6000.5,9600.25", "9600.25 x 6000.5");
        row("window", "none", ",", "8900 x 5655");
        row("window", "width garbled", "6000,wide", "8900 x 6000");
        row("window", "width zero", "6000,0", "8900 x 6000");
        row("window", "a bad height makes both the first run's", "tall,9600", "8900 x 5655");
        row("window", "height too large", "1e6,9600", "8900 x 5655");
        row("window", "height not a number", "nan,9600", "8900 x 5655");

        row("start-up line", "after a purge", "en_US R 10/17/200210:30:15 AM ",
            " 10/17/02    10:30 am    Thursday\t7");
        // Read in the locale's order; a day above 12 can only be a day.
        row("start-up line", "24-hour, day-first record", "en_US R 17/10/200222:05:00    ",
            " 10/17/02    10:05 pm    Thursday\t7");
        row("start-up line", "ambiguous date, day-first locale", "de_DE R 05/12/200208:00:00    ",
            " 12/05/02    08:00 am    Donnerstag\t7");
        row("start-up line", "midnight", "en_US S 10/17/200212:15:00 AM ",
            " 10/17/2002    12:15 am    Thursday\t7");
        row("start-up line", "unit signs lost to the code page", "ja_JP S 10/17/200214?54?37?   ",
            " 10/17/2002    02:54 pm    \u6728\u66dc\u65e5\t7");
        // What cannot be read is shown as it is, with no weekday.
        row("start-up line", "unreadable", "en_US S garbage   13:00:00 PM ",
            " garbage       13:00:00 PM    \t7");
        row("start-up line", "unreadable after a purge", "en_US R garbage   13:75:00    ",
            " garbage    13:75:00    \t7");

        // 54 list lines below the heading, 63 on a bare letter page. 100 and 48 lines are
        // printed to a PDF file by the printing suite.
        row("pages", "47 fit one page", "47 headed 15120", "H1@1000 H2@1240 1-47@2000");
        row("pages", "no heading after line 336; the page size breaks the rest", "400 headed 15120",
            "H1@1000 H2@1240 1-48@2000 | H1@1000 H2@1240 49-96@2000 | "
            "H1@1000 H2@1240 97-144@2000 | H1@1000 H2@1240 145-192@2000 | "
            "H1@1000 H2@1240 193-240@2000 | H1@1000 H2@1240 241-288@2000 | "
            "H1@1000 H2@1240 289-336@2000 | H1@1000 H2@1240 337-390@2000 | 391-400@0");
        row("pages", "upcoming: one heading, page breaks only by size", "120 bare 15120",
            "H1@1000 H2@1240 1-54@2000 | 55-117@0 | 118-120@0");
        row("pages", "a short page breaks inside the 48", "50 headed 9680",
            "H1@1000 H2@1240 1-32@2000 | 33-48@0 | H1@1000 H2@1240 49-50@2000");
        row("pages", "a page too short for the heading: no blank page", "2 bare 200",
            "H1@0 | H2@0 | 1@0 | 2@0");
        row("pages", "nothing to list", "0 headed 15120", "H1@1000 H2@1240");

        row("all", "day-first: words, years, sorted by text",
            "GB YA25/12/1990Wed|OX03/01/2002Job|WA25/12/2003Gym|MX10/01/2002Rent|ZX05/12/2002Odd",
            "03/01/02   Thu\tOnce   \tJob#2|05/12/02   Thu\tZ\tOdd#5|"
            "10/01/02   Thu\tMonthly\tRent#4|25/12/03   Thu\tWeekly \tGym ... -1 years#3|"
            "25/12/90   Tue\tYearly \tWed ... 12 years#1");
        row("all", "month-first sorts by month", "US YX12/25/2001Xmas|OX01/03/2002Job",
            "01/03/02   Thu\tOnce   \tJob#2|12/25/01   Tue\tYearly \tXmas#1");
        row("all", "case-insensitive, ties in file order",
            "GB OX03/01/2002B|OX03/01/2002a|OX03/01/2002A",
            "03/01/02   Thu\tOnce   \ta#2|03/01/02   Thu\tOnce   \tA#3|03/01/02   Thu\tOnce   "
            "\tB#1");
        row("all", "unreadable date kept as stored", "GB OXgarbage   Bad|OX31/02/2002Nil",
            "31/02/2002      \tOnce   \tNil#2|garbage      \tOnce   \tBad#1");
        // A damaged record's control bytes (NUL given as '@') show as blanks.
        row("all", "control bytes in text, date and frequency",
            "GB OX03/01/2002Two\nlines\r\x1f@|OX03/0\r/2002Date|\tX03/01/2002Freq",
            "03/0 /2002      \tOnce   \tDate#2|03/01/02   Thu\t \tFreq#3|"
            "03/01/02   Thu\tOnce   \tTwo lines#1");
    }
    void rules() {
        QFETCH(QString, rule);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(apply(rule, input), expected);
    }

    // Random dates in the form the program writes, both orders, against QDate's calendar: the
    // date in the order given when it exists, else in the other order, else none.
    void storedDatesAgainstQDate() {
        QRandomGenerator random(20371206);
        for (int i = 0; i < 4000; ++i) {
            const int first = random.bounded(0, 34), second = random.bounded(0, 34);
            // Every fourth a century, where the leap years differ.
            const int year = i % 4 == 0 ? random.bounded(0, 100) * 100 : random.bounded(0, 10000);
            const QString text = QString::asprintf("%02d/%02d/%04d", first, second, year);
            const QByteArray bytes = text.toLatin1();
            for (const DateOrder order : {DateOrder::DayFirst, DateOrder::MonthFirst}) {
                const bool dayFirst = order == DateOrder::DayFirst;
                const int day = dayFirst ? first : second, month = dayFirst ? second : first;
                const QDate expected = year < 100                         ? QDate()
                                       : QDate::isValid(year, month, day) ? QDate(year, month, day)
                                       : QDate::isValid(year, day, month) ? QDate(year, day, month)
                                                                          : QDate();
                // The list views take the parts without building a QDate.
                const DateParts parts = ParseStoredDateParts(QLatin1StringView(bytes), order);
                QCOMPARE(parts.isValid() ? ymd(parts.year, parts.month, parts.day) : "none",
                         expected.isValid() ? ymd(expected.year(), expected.month(), expected.day())
                                            : "none");
                QCOMPARE(ParseStoredDate(QStringView(text), order), expected);
            }
        }
    }

    // The upcoming list against a plain walk over the window's days, each record in file
    // order on each, with the line written out by hand. Random windows and records near
    // them; every round also has a 29 February, a 31st and records that never occur.
    void upcomingAgainstADayWalk() {
        QRandomGenerator random(20021205);
        const char* words[] = {"Once   ", "Weekly ", "Monthly", "Yearly "};
        for (int round = 0; round < 300; ++round) {
            const QDate today = QDate(1990, 1, 1).addDays(random.bounded(20000));
            const int days = round % 50 == 0 ? 366 : random.bounded(0, 40);
            const bool dayFirst = random.bounded(2);
            const QLocale locale(dayFirst ? "en_GB" : "en_US");
            const DateOrder order = dayFirst ? DateOrder::DayFirst : DateOrder::MonthFirst;
            QString given = "YA29/02/1996Leap|MX31/01/2002Pay|ZX01/01/2000Odd|WX31/02/2002Nil";
            if (!dayFirst)
                given.replace("29/02", "02/29").replace("31/01", "01/31");
            for (int i = 0; i < 12; ++i) {
                QDate stored = today.addDays(random.bounded(-2, days + 3));
                stored = stored.addYears(random.bounded(-1, 2) - 100 * random.bounded(2));
                given +=
                    QString("|%1%2%3Text %4")
                        .arg(QChar("OWMY"[random.bounded(4)]), QChar(random.bounded(2) ? 'A' : 'X'),
                             dayFirst ? stored.toString("dd/MM/yyyy")
                                      : stored.toString("MM/dd/yyyy"))
                        .arg(i);
            }
            const std::vector<ReminderRecord> all = records(given);
            QStringList expected;
            for (int d = 0; d <= days; ++d) {
                const QDate day = today.addDays(d);
                for (int i = 0; i < int(all.size()); ++i) {
                    const char code = all[i].frequencyCode();
                    const QDate s = ParseStoredDate(all[i].dateText(), order);
                    const bool falls =
                        s.isValid() && ((code == 'W' && s.dayOfWeek() == day.dayOfWeek()) ||
                                        (code == 'M' && s.day() == day.day()) ||
                                        (QByteArray("OY").contains(code) &&
                                         s.month() == day.month() && s.day() == day.day() &&
                                         (code == 'Y' || s.year() % 100 == day.year() % 100)));
                    if (!falls)
                        continue;
                    expected << QString("%1 #%2 %3   %4\t%5\t%6%7")
                                    .arg(day.toString(Qt::ISODate))
                                    .arg(i + 1)
                                    .arg(day.toString(dayFirst ? "dd/MM/yy" : "MM/dd/yy"),
                                         locale.dayName(day.dayOfWeek(), QLocale::ShortFormat),
                                         words[QByteArray("OWMY").indexOf(code)], all[i].text(),
                                         all[i].yearsFlag() == 'A'
                                             ? QString(" ... %1 years").arg(today.year() - s.year())
                                             : QString());
                }
            }
            const ViewContext ctx = ViewContext::make(today, order, locale);
            const auto lines = buildUpcomingLines(all, ctx, days);
            const auto occurrences = upcomingOccurrences(all, ctx, days);
            QStringList got;
            for (std::size_t i = 0; i < lines.size() && i < occurrences.size(); ++i)
                got << QString("%1 #%2 %3")
                           .arg(occurrences[i].day.toString(Qt::ISODate))
                           .arg(lines[i].record)
                           .arg(lines[i].text);
            QCOMPARE(lines.size(), occurrences.size());
            QCOMPARE(got, expected);
        }
    }

    // The summary and the body's lines joined by "|"; nothing for no notification. With
    // markup the body is escaped as HTML is.
    void startNotice_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<QString>("flags"); // "minimised", "day-first log"
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("expected");
        const QDate thu(2002, 12, 5);
        const auto row = [](const char* name, QDate today, const QByteArray& log, const char* flags,
                            const char* given, const char* expected) {
            QTest::newRow(name) << today << log << QString(flags) << QString(given)
                                << QString::fromUtf8(expected);
        };
        const QByteArray yesterday = startAt(thu.addDays(-1));
        row("none due today or since the last start", thu, startAt(QDate(2002, 12, 1)), "minimised",
            "OX12/10/2002Later|OX12/01/2002On the day of the last start", "");
        row("today, minimised", thu, yesterday, "minimised",
            "YA12/05/1977Anna's birthday     |OX12/10/2002Later",
            "1 reminder today|Anna's birthday — 25 years");
        row("today, window on screen", thu, yesterday, "", "YA12/05/1977Anna", "");
        row("both, by day and then file order", thu, startAt(QDate(2002, 11, 30)), "",
            "WX11/25/2002Gym|YA12/05/1977Anna|OX12/03/2002Dentist|MX11/04/2002Rent|"
            "OX12/02/2002Call Bob",
            "1 reminder today, 4 missed|Anna — 25 years|Missed since Saturday 30 November:|"
            "Mon 2 December: Gym|Mon 2 December: Call Bob|Tue 3 December: Dentist|"
            "Wed 4 December: Rent");
        row("a start 400 days ago looks back 366 days", thu, startAt(thu.addDays(-400)), "",
            "OX12/03/2001Too old|OX12/04/2001Just in|OX11/15/2001Older",
            "1 reminder missed|Missed since Monday 3 December 2001:|Tue 4 December 2001: Just in");
        row("the previous start today: nothing missed", thu,
            startAt(QDate(2002, 11, 1)) + startAt(thu), "minimised",
            "OX12/03/2002Dentist|YA12/05/1977Anna", "1 reminder today|Anna — 25 years");
        row("previous start read in the calendar's order", thu,
            startAt(QDate(2002, 12, 2), DateOrder::DayFirst), "day-first log",
            "OX12/03/2002Dentist",
            "1 reminder missed|Missed since Monday 2 December:|Tue 3 December: Dentist");
        row("unreadable previous record: nothing missed", thu,
            startAt(QDate(2002, 11, 1)) + QByteArray("99/99/2002 8:15:00 AM "), "",
            "OX12/03/2002Dentist", "");
        row("no previous record: nothing missed", thu, QByteArray(), "", "OX12/03/2002Dentist", "");
        row("a last record cut in its time keeps its date", thu,
            startAt(QDate(2002, 11, 1)) + QByteArray("12/02/2002 8:1"), "",
            "OX12/03/2002Dentist|OX11/15/2002Seen",
            "1 reminder missed|Missed since Monday 2 December:|Tue 3 December: Dentist");
        row("29 February and the 31st in the span", QDate(2004, 3, 2), startAt(QDate(2004, 1, 30)),
            "", "YA02/29/1996Leap day|MX10/31/2003Pay|MX10/30/2003Rent",
            "2 reminders missed|Missed since Friday 30 January:|Sat 31 January: Pay|"
            "Sun 29 February: Leap day — 8 years");
        row("years at the day of the occurrence, none before the stored date", QDate(2003, 1, 2),
            startAt(QDate(2002, 12, 20)), "minimised",
            "YA12/25/1990Christmas|YA01/02/2004Next year|YA01/02/2002Last year",
            "2 reminders today, 1 missed|Next year|Last year — 1 year|"
            "Missed since Friday 20 December 2002:|Wed 25 December 2002: Christmas — 12 years");
        row("more than eight of each", thu, startAt(thu.addDays(-70)), "minimised",
            "YX12/05/2000T1|YX12/05/2000T2|YX12/05/2000T3|YX12/05/2000T4|YX12/05/2000T5|"
            "WX11/28/2002Gym|YX12/05/2000T6|YX12/05/2000T7|YX12/05/2000T8|YX12/05/2000T9",
            "10 reminders today, 9 missed|T1|T2|T3|T4|T5|Gym|T6|T7|and 2 more|"
            "Missed since Thursday 26 September:|Thu 3 October: Gym|Thu 10 October: Gym|"
            "Thu 17 October: Gym|Thu 24 October: Gym|Thu 31 October: Gym|Thu 7 November: Gym|"
            "Thu 14 November: Gym|Thu 21 November: Gym|and 1 more");
        row("markup characters, a %1 kept", thu, startAt(QDate(2002, 12, 3)), "minimised",
            "OX12/05/2002<b>Tea & cake</b>|OX12/04/2002Fix %1 > 2",
            "1 reminder today, 1 missed|<b>Tea & cake</b>|Missed since Tuesday 3 December:|"
            "Wed 4 December: Fix %1 > 2");
    }
    void startNotice() {
        QFETCH(QDate, today);
        QFETCH(QByteArray, log);
        QFETCH(QString, flags);
        QFETCH(QString, given);
        QFETCH(QString, expected);
        const QDate previous = previousStartDate(
            log, flags.contains("day-first") ? DateOrder::DayFirst : DateOrder::MonthFirst);
        const StartNotice notice = buildStartNotice(
            records(given), ViewContext::make(today, DateOrder::MonthFirst, kEnglish), previous,
            flags.contains("minimised"));
        QCOMPARE(notice.isEmpty(), expected.isEmpty());
        const QString body = notice.body(false);
        QCOMPARE(notice.isEmpty() ? "" : notice.summary + '\n' + body,
                 QString(expected).replace('|', '\n'));
        QCOMPARE(notice.body(true), body.toHtmlEscaped());
    }
};

QTEST_GUILESS_MAIN(TestCoreRules)
#include "test_core_rules.moc"
