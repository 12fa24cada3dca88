// SPDX-License-Identifier: GPL-3.0-or-later
// The data side: its rules as text in one table (dates, the copied date, the purge, stored
// settings, the lists, the start-up log, the printed pages and the notification at start), the
// rules with an independent formulation against it over random inputs, and the files:
// reminder.dat as the store, the agenda's reader and a command session read and write it
// (another program changing it meanwhile), the settings file and the start-up log. Every step
// failing on whole records is in test_write_paths; here, what only these show.
#include "data/copy_date.h"
#include "data/date_patterns.h"
#include "data/print_layout.h"
#include "data/reminder_reader.h"
#include "data/reminder_rules.h"
#include "data/reminder_session.h"
#include "data/reminder_store.h"
#include "data/settings.h"
#include "data/start_notice.h"
#include "data/startup_log.h"
#include "data/startup_log_file.h"
#include "data/view_lines.h"
#include "fakes.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <fcntl.h>
#include <future>
#include <span>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

using namespace nudgewell;
using namespace nudgewell::test;
using Step = FailingFileSystem::Step;

namespace {

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
    if (rule == "start-up record") // "<Calendar Format> <locale>", 10:30:15 on 17 October 2002
        return QString::fromLatin1(StartupRecord::build(
            QDateTime(QDate(2002, 10, 17), QTime(10, 30, 15)),
            DateOrderFromSetting(input.section(' ', 0, 0)), QLocale(input.section(' ', 1))));
    if (rule == "notice") { // "<today> <m: minimised> <starts>|<records>" -> "<summary>|<body>"
        // Each start is an ISO date at 08:15 ('d' after it: day-first) or raw log bytes.
        QByteArray log;
        DateOrder order = DateOrder::MonthFirst;
        for (const QString& start :
             input.section('|', 0, 0).section(' ', 2).split(',', Qt::SkipEmptyParts)) {
            const QDate day = QDate::fromString(start.left(10), Qt::ISODate);
            order = start.endsWith('d') ? DateOrder::DayFirst : order;
            log += day.isValid()
                       ? StartupRecord::build(QDateTime(day, QTime(8, 15)), order, kEnglish)
                       : start.toLatin1();
        }
        const StartNotice notice =
            buildStartNotice(records(input.section('|', 1)),
                             ViewContext::make(QDate::fromString(input.left(10), Qt::ISODate),
                                               DateOrder::MonthFirst, kEnglish),
                             previousStartDate(log, order), input[11] == 'm');
        // With markup the body is escaped as HTML is.
        if (notice.body(true) != notice.body(false).toHtmlEscaped())
            return "markup: " + notice.body(true);
        return notice.isEmpty() ? "" : notice.summary + '|' + notice.body(false).replace('\n', '|');
    }
    if (rule == "pages") { // "<lines> <headed|bare> <page height>" -> pages joined by " | ";
        // on each "H1@<top>" for a heading line, "<a>-<b>@<top>" for list lines a to b one line
        // height apart from `top`
        QStringList texts, pages;
        for (int i = 1; i <= input.section(' ', 0, 0).toInt(); ++i)
            texts << QString::number(i);
        for (const PrintedPage& page :
             layOutPrintout({"H1", "H2"}, texts, input.section(' ', 1, 1) == "headed", 240,
                            input.section(' ', 2).toDouble())) {
            QStringList out;
            for (std::size_t i = 0; i < page.size(); ++i) {
                const PlacedLine& line = page[i];
                const int before = i > 0 ? page[i - 1].text.toInt() : 0; // 0 for a heading
                if (line.left != kPrintLeft)
                    out << "left " + QString::number(line.left);
                else if (before > 0 && line.text.toInt() == before + 1 &&
                         line.top == page[i - 1].top + 240)
                    out.last().replace(QRegularExpression("(-\\d+)?@"), '-' + line.text + '@');
                else
                    out << line.text + '@' + QString::number(line.top);
            }
            pages << out.join(' ');
        }
        return pages.join(" | ");
    }
    // "all": records, day-first -> each line with the blanks that pad its text taken out, then
    // "#<record>".
    const std::vector<ReminderRecord> all = records(input);
    const ViewContext ctx = ViewContext::make(QDate(2002, 12, 5), DateOrder::DayFirst, gb);
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

QByteArray rec(const char* text, const QByteArray& reserved = QByteArray(3, '\0')) {
    return recordBytes(QString::fromLatin1(text), 'X', 'O', QStringLiteral("05/12/2002"), reserved);
}

// The second record carries reserved bytes that a plain copy must keep.
const QByteArray kThree = rec("first") + rec("second", "abc") + rec("third");

// Records named by one letter each, for the session: A first, B the highlighted or edited
// one, C last, F theirs, G B as they changed it, P New's placeholder, E the edit, X and Y an
// import.
QByteArray letters(const QString& names) {
    QByteArray bytes;
    for (const QChar name : names)
        bytes += recordBytes(QString(name) + " reminder", 'X', 'Y', QStringLiteral("12/25/2001"));
    return bytes;
}

QByteArray joined(std::span<const ReminderRecord> all) {
    QByteArray bytes;
    for (const ReminderRecord& r : all)
        bytes += r.bytes();
    return bytes;
}

ReminderRecord named(char name) {
    return ReminderRecord::fromBytes(letters(QString(QLatin1Char(name))).constData(), 70);
}

// What another program does to the file.
void change(const QString& path, const QString& how, std::thread* holder) {
    const QByteArray name = QFile::encodeName(path);
    if (how == "replaced by rename") {
        writeFile(path + ".sync", letters("ABCF"));
        QVERIFY(::rename(QFile::encodeName(path + ".sync"), name) == 0);
    } else if (how == "record appended" || how == "changed in place") {
        const bool append = how == "record appended";
        const int fd = ::open(name, append ? O_WRONLY | O_APPEND : O_WRONLY);
        QVERIFY(::pwrite(fd, letters(append ? "F" : "G").constData(), 70, append ? 0 : 70) == 70);
        ::close(fd);
    } else if (how == "shortened by one") {
        QVERIFY(::truncate(name, QFileInfo(path).size() - 70) == 0);
    } else if (how == "deleted") {
        QVERIFY(::unlink(name) == 0);
    } else if (how == "appended under the lock") {
        // A cooperating program: it holds the lock while it appends, and the command waits.
        std::promise<void> locked;
        std::future<void> held = locked.get_future();
        *holder = std::thread([name, locked = std::move(locked)]() mutable {
            const int fd = ::open(name, O_WRONLY | O_APPEND);
            ::flock(fd, LOCK_EX);
            locked.set_value();
            ::usleep(200000);
            if (::write(fd, letters("F").constData(), 70) != 70)
                qFatal("cannot append");
            ::close(fd);
        });
        held.wait();
    }
}

} // namespace

class TestCore : public QObject {
    Q_OBJECT

private slots:
    void rules_data() {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* rule, const QString& input, const QString& expected,
                            const char* name = nullptr) {
            QTest::addRow("%s: %s", rule, name ? name : qPrintable(input))
                << QString(rule) << input << expected;
        };
        const auto rows = [&](const char* rule, std::initializer_list<const char*> given) {
            for (const QString r : given) // "<input> -> <expected>"
                row(rule, r.section(" -> ", 0, 0), r.section(" -> ", 1));
        };
        // Dates in forms the program does not write: day-first, then month-first. Its own
        // "nn/nn/nnnn" is checked against QDate below.
        rows("date", {" 5/12/2001 -> 2001-12-05 2001-05-12", "1-2-29 -> 2029-02-01 2029-01-02",
                      "25.12.30 -> 1930-12-25 1930-12-25", " ->  ", "garbage ->  ", "1/2 ->  ",
                      "25/12/2001x ->  ", "12/25/20x1 ->  ", "1//2001 ->  ", "12/25/00099 ->  ",
                      "123/1/2001 ->  "});

        // "Key=value;..." (a missing key left out), "-" for nothing.
        rows("copy",
             {" -> -", "Copy Date=yes -> Monday, 4 March 2002", "Copy Date=Yes -> -",
              "Copy Date=yes;Long Date=no -> -", "Copy Date=yes;Long Date= -> Monday, 4 March 2002",
              "Copy Date=yes;Short Date=yes;Medium Date=yes;Long Date=no -> 04/03/2002",
              "Copy Date=yes;Medium Date=yes;Long Date=no -> 4 Mar 2002",
              "Copy Date=yes;Medium Date=yes;Long Date=no;Locale=en_US -> Mar 4, 2002",
              "Copy Date=yes  -> -",
              "Copy Date=yes;Short Date=Yes;Medium Date=YES -> Monday, 4 March 2002",
              "Copy Date=yes;Short Date=no;Long Date=Yes -> -"});

        // Stored dates are read in the regional order, whatever "Calendar Format" says; a
        // day-first one that cannot be read so is read month-first.
        rows("purge", {"en_US O 12/05/2002 -> past", "en_US O 12/06/2002 -> stays",
                       "en_US O 07/12/2002 -> past", "en_GB O 06/12/2002 -> stays",
                       "en_GB O 07/12/2002 -> stays", "de_DE O 12/05/2002 -> past",
                       "en_GB O 12/25/2001 -> past", "en_GB O 31/31/2001 -> stays",
                       "en_US W 12/05/1990 -> stays", "en_US M 12/05/1990 -> stays",
                       "en_US Y 12/05/1990 -> stays", "en_US Z 12/05/1990 -> stays"});

        // Odd stored values fall back to the first run's; a bad height makes both the first
        // run's. The fuzzer keeps every value in range.
        for (const char* days : {"", "-1", "366", "367", "0"})
            row("days", days, days == QString("366") || days == QString("0") ? days : "6");
        rows("window", {"6000.5,9600.25 -> 9600.25 x 6000.5", ", -> 8900 x 5655",
                        "6000,wide -> 8900 x 6000", "tall,9600 -> 8900 x 5655"});

        // Read in the locale's order; a day above 12 can only be a day. What cannot be read is
        // shown as it is, with no weekday.
        rows("start-up line",
             {"en_US R 17/10/200222:05:00     ->  10/17/02    10:05 pm    Thursday\t7",
              "de_DE R 05/12/200208:00:00     ->  12/05/02    08:00 am    Donnerstag\t7",
              "en_US S 10/17/200212:15:00 AM  ->  10/17/2002    12:15 am    Thursday\t7",
              // the unit signs lost to the code page
              "ja_JP S 10/17/200214?54?37?    ->  10/17/2002    02:54 pm    \u6728\u66dc\u65e5\t7",
              "en_US S garbage   13:00:00 PM  ->  garbage       13:00:00 PM    \t7",
              "en_US R garbage   13:75:00     ->  garbage    13:75:00    \t7"});

        // 54 list lines below the heading, 63 on a bare letter page. 100 and 48 lines are
        // printed to a PDF file by the printing suite.
        row("pages", "47 headed 15120", "H1@1000 H2@1240 1-47@2000", "47 fit one page");
        row("pages", "400 headed 15120",
            "H1@1000 H2@1240 1-48@2000 | H1@1000 H2@1240 49-96@2000 | "
            "H1@1000 H2@1240 97-144@2000 | H1@1000 H2@1240 145-192@2000 | "
            "H1@1000 H2@1240 193-240@2000 | H1@1000 H2@1240 241-288@2000 | "
            "H1@1000 H2@1240 289-336@2000 | H1@1000 H2@1240 337-390@2000 | 391-400@0",
            "no heading after line 336; the page size breaks the rest");
        row("pages", "120 bare 15120", "H1@1000 H2@1240 1-54@2000 | 55-117@0 | 118-120@0",
            "upcoming: one heading, page breaks only by size");
        row("pages", "50 headed 9680",
            "H1@1000 H2@1240 1-32@2000 | 33-48@0 | H1@1000 H2@1240 49-50@2000",
            "a short page breaks inside the 48");
        row("pages", "2 bare 200", "H1@0 | H2@0 | 1@0 | 2@0",
            "a page too short for the heading: no blank page");
        row("pages", "0 headed 15120", "H1@1000 H2@1240", "nothing to list");

        row("all",
            "YA25/12/1990Wed|OX03/01/2002Job|WA25/12/2003Gym|MX10/01/2002Rent|ZX05/12/2002Odd",
            "03/01/02   Thu\tOnce   \tJob#2|05/12/02   Thu\tZ\tOdd#5|"
            "10/01/02   Thu\tMonthly\tRent#4|25/12/03   Thu\tWeekly \tGym ... -1 years#3|"
            "25/12/90   Tue\tYearly \tWed ... 12 years#1",
            "day-first: words, years, sorted by text");
        row("all", "OX03/01/2002B|OX03/01/2002a|OX03/01/2002A",
            "03/01/02   Thu\tOnce   \ta#2|03/01/02   Thu\tOnce   \tA#3|03/01/02   Thu\tOnce   "
            "\tB#1",
            "case-insensitive, ties in file order");
        // A damaged record's control bytes (NUL given as '@') show as blanks.
        row("all", "OX03/01/2002Two\nlines\r\x1f@|OX03/0\r/2002Date|\tX03/01/2002Freq",
            "03/0 /2002      \tOnce   \tDate#2|03/01/02   Thu\t \tFreq#3|"
            "03/01/02   Thu\tOnce   \tTwo lines#1",
            "control bytes in text, date and frequency");

        row("notice",
            "2002-12-05 m 2002-12-01|OX12/10/2002Later|OX12/01/2002On the day of the last start",
            "", "none due today or since the last start");
        row("notice", "2002-12-05 m 2002-12-04|YA12/05/1977Anna's birthday     |OX12/10/2002Later",
            "1 reminder today|Anna's birthday — 25 years", "today, minimised");
        row("notice", "2002-12-05 - 2002-12-04|YA12/05/1977Anna", "", "today, window on screen");
        row("notice",
            "2002-12-05 - 2002-11-30|WX11/25/2002Gym|YA12/05/1977Anna|OX12/03/2002Dentist|"
            "MX11/04/2002Rent|OX12/02/2002Call Bob",
            "1 reminder today, 4 missed|Anna — 25 years|Missed since Saturday 30 November:|"
            "Mon 2 December: Gym|Mon 2 December: Call Bob|Tue 3 December: Dentist|"
            "Wed 4 December: Rent",
            "both, by day and then file order");
        row("notice",
            "2002-12-05 - 2001-10-31|OX12/03/2001Too old|OX12/04/2001Just in|OX11/15/2001Older",
            "1 reminder missed|Missed since Monday 3 December 2001:|Tue 4 December 2001: Just in",
            "a start 400 days ago looks back 366 days");
        row("notice", "2002-12-05 m 2002-11-01,2002-12-05|OX12/03/2002Dentist|YA12/05/1977Anna",
            "1 reminder today|Anna — 25 years", "the previous start today: nothing missed");
        const char* missedDentist =
            "1 reminder missed|Missed since Monday 2 December:|Tue 3 December: Dentist";
        row("notice", "2002-12-05 - 2002-12-02d|OX12/03/2002Dentist", missedDentist,
            "previous start read in the calendar's order");
        row("notice", "2002-12-05 - 2002-11-01,12/02/2002 8:1|OX12/03/2002Dentist|OX11/15/2002Seen",
            missedDentist, "a last record cut in its time keeps its date");
        row("notice", "2002-12-05 - 2002-11-01,99/99/2002 8:15:00 AM |OX12/03/2002Dentist", "",
            "unreadable previous record: nothing missed");
        row("notice", "2002-12-05 - |OX12/03/2002Dentist", "",
            "no previous record: nothing missed");
        row("notice",
            "2004-03-02 - 2004-01-30|YA02/29/1996Leap day|MX10/31/2003Pay|MX10/30/2003Rent",
            "2 reminders missed|Missed since Friday 30 January:|Sat 31 January: Pay|"
            "Sun 29 February: Leap day — 8 years",
            "29 February and the 31st in the span");
        row("notice",
            "2003-01-02 m 2002-12-20|YA12/25/1990Christmas|YA01/02/2004Next year|"
            "YA01/02/2002Last year",
            "2 reminders today, 1 missed|Next year|Last year — 1 year|"
            "Missed since Friday 20 December 2002:|Wed 25 December 2002: Christmas — 12 years",
            "years at the day of the occurrence, none before the stored date");
        row("notice",
            "2002-12-05 m 2002-09-26|YX12/05/2000T1|YX12/05/2000T2|YX12/05/2000T3|"
            "YX12/05/2000T4|YX12/05/2000T5|WX11/28/2002Gym|YX12/05/2000T6|YX12/05/2000T7|"
            "YX12/05/2000T8|YX12/05/2000T9",
            "10 reminders today, 9 missed|T1|T2|T3|T4|T5|Gym|T6|T7|and 2 more|"
            "Missed since Thursday 26 September:|Thu 3 October: Gym|Thu 10 October: Gym|"
            "Thu 17 October: Gym|Thu 24 October: Gym|Thu 31 October: Gym|Thu 7 November: Gym|"
            "Thu 14 November: Gym|Thu 21 November: Gym|and 1 more",
            "more than eight of each");
        row("notice",
            "2002-12-05 m 2002-12-03|OX12/05/2002<b>Tea & cake</b>|OX12/04/2002Fix %1 > 2",
            "1 reminder today, 1 missed|<b>Tea & cake</b>|Missed since Tuesday 3 December:|"
            "Wed 4 December: Fix %1 > 2",
            "markup characters, a %1 kept");

        // Its time is the locale's long time without the zone, padded or cut to 12 bytes:
        // Albanian spells out its AM marker well past them, Japanese marks its hours, minutes
        // and seconds with characters no record can hold.
        rows("start-up record",
             {"dd/mm en_US -> 17/10/200210:30:15 AM ", " en_GB -> 10/17/200210:30:15    ",
              "DD/MM es_ES -> 10/17/200210:30:15    ", "dd/mm be_BY -> 17/10/200210:30:15    ",
              "dd/mm sq_AL -> 17/10/200210:30:15 E P", "dd/mm ja_JP -> 17/10/200210:30:15 AM "});
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
        const auto ymd = [](int y, int m, int d) { return QString::asprintf("%d-%d-%d", y, m, d); };
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
        for (int round = 0; round < 300; ++round) {
            const QDate today = QDate(1990, 1, 1).addDays(random.bounded(20000));
            const int days = round % 50 == 0 ? 366 : random.bounded(0, 40);
            const bool dayFirst = random.bounded(2);
            const QString order = dayFirst ? "dd/MM/yyyy" : "MM/dd/yyyy";
            QString given =
                QString("YA%1Leap|MX%2Pay|ZX01/01/2000Odd|WX31/02/2002Nil")
                    .arg(QDate(1996, 2, 29).toString(order), QDate(2002, 1, 31).toString(order));
            for (int i = 0; i < 12; ++i) {
                const QDate stored = today.addDays(random.bounded(-2, days + 3))
                                         .addYears(random.bounded(-1, 2) - 100 * random.bounded(2));
                given += QString("|%1%2")
                             .arg("OWMY"[random.bounded(4)])
                             .arg(random.bounded(2) ? 'A' : 'X') +
                         stored.toString(order) + "Text " + QString::number(i);
            }
            const std::vector<ReminderRecord> all = records(given);
            const ViewContext ctx =
                ViewContext::make(today, dayFirst ? DateOrder::DayFirst : DateOrder::MonthFirst,
                                  QLocale(dayFirst ? "en_GB" : "en_US"));
            // Each occurrence as its shown date, record and day; the rest of a line is written
            // as in the all view.
            QStringList expected, got;
            for (QDate day = today; day <= today.addDays(days); day = day.addDays(1)) {
                for (int i = 0; i < int(all.size()); ++i) {
                    const int code = QByteArray("OWMY").indexOf(all[i].frequencyCode());
                    const QDate s = QDate::fromString(all[i].dateText(), order);
                    if (s.isValid() &&
                        (code == 1 ? s.dayOfWeek() == day.dayOfWeek()
                         : code == 2
                             ? s.day() == day.day()
                             : code >= 0 && s.month() == day.month() && s.day() == day.day() &&
                                   (code == 3 || s.year() % 100 == day.year() % 100)))
                        expected << QString("%1 #%2 %3")
                                        .arg(day.toString(QString(order).replace("yyyy", "yy")),
                                             QString::number(i + 1), day.toString(Qt::ISODate));
                }
            }
            const auto lines = buildUpcomingLines(all, ctx, days);
            const auto occurrences = upcomingOccurrences(all, ctx, days);
            QCOMPARE(occurrences.size(), lines.size());
            for (std::size_t i = 0; i < lines.size(); ++i)
                got << QString("%1 #%2 %3")
                           .arg(lines[i].text.left(8), QString::number(lines[i].record),
                                occurrences[i].day.toString(Qt::ISODate));
            QCOMPARE(got, expected);
        }
    }

    // Files of any bytes and length, read by the store and by the agenda's reader, against
    // plain arithmetic: 70-byte records, a short last one counted when it holds half a record
    // (a tie to the even count) and read padded with blanks. startup.dat counts 22-byte ones.
    void readAgainstBytes() {
        QRandomGenerator random(19700101);
        QTemporaryDir dir;
        const QString dat = dir.filePath("reminder.dat");
        for (int i = 0; i < 300; ++i) { // the first four are the ties
            QByteArray bytes(i < 4 ? 35 + 70 * i : random.bounded(0, 3 * 70 + 1),
                             Qt::Uninitialized);
            for (char& byte : bytes)
                byte = char(random.bounded(256));
            writeFile(dat, bytes);
            QCOMPARE(CountFromLength(bytes.size(), 22),
                     qint64(std::nearbyint(bytes.size() / 22.0)));
            const int count = int(std::nearbyint(bytes.size() / 70.0));
            const QByteArray expected = bytes.left(70 * count).leftJustified(70 * count, ' ');
            ReminderStore store(dir.path());
            ReminderFileReader reader;
            QVERIFY(store.Open(nullptr) && reader.open(dat, nullptr));
            std::vector<ReminderRecord> all;
            QVERIFY(store.readAll(&all, nullptr));
            QByteArray viaStore;
            for (int n = 1; n <= store.count() + 1; ++n) // one past the end reads as empty
                viaStore += store.ReadRecord(n).bytes();
            QCOMPARE(viaStore, expected + ReminderRecord().bytes());
            QCOMPARE(joined(all), expected);
            QCOMPARE(joined(reader.records()), expected);
        }
    }

    // The file after each operation that writes it. A row with a failing step must leave the
    // file as it was, and then succeed on a second try.
    void storeWrites_data() {
        // "write <n> <text>", "without <k>" or "keeping" (all but "first"); the first start's
        // seeding is checked by test_main_window
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<Step>("failAt");
        const auto row = [](const QByteArray& name, const QString& op, const QByteArray& before,
                            const QByteArray& after, Step failAt = Step::None) {
            QTest::newRow(name.constData()) << op << before << after << failAt;
        };
        // A record that only had its text set.
        const auto written = [](const QByteArray& text) {
            return text.leftJustified(55, ' ') + QByteArray(3, '\0') + QByteArray(12, ' ');
        };
        const QString full = QString(54, QLatin1Char('a')) + QLatin1Char('z');
        const QByteArray two = rec("old") + rec("next");
        row("56th character dropped", "write 1 " + full + '!', two,
            written(full.toLatin1()) + rec("next"));
        row("Windows-1252", "write 1 Café €5 – naïve", two,
            written(QByteArray("Caf\xE9 ") + '\x80' + "5 \x96 na\xEFve") + rec("next"));
        row("without first", "without 1", kThree, kThree.mid(70));
        const QByteArray partial = rec("first") + rec("second").left(35); // counts as two
        row("without past end, short last", "without 3", partial, partial + QByteArray(35, ' '));
        row("without the only record", "without 1", rec("first"), "");
        row("keeping zeroes reserved", "keeping", kThree, rec("second") + rec("third"));
        // A short last record counts as whole when it is half a record or more: an append
        // comes after it, blank-padded as it reads; with less it is written over. A failed
        // append takes back what went down, a torn record included.
        const QByteArray longShort = rec("first") + rec("second").left(40);
        const QByteArray shortShort = rec("first") + rec("second").left(20);
        row("append after a short record", "write 3 new", longShort,
            longShort + QByteArray(30, ' ') + written("new"));
        row("append over a shorter one", "write 2 new", shortShort, rec("first") + written("new"));
        row("append after a short record fails", "write 3 new", longShort, longShort, Step::Write);
        row("append over a shorter one fails", "write 2 new", shortShort, shortShort, Step::Flush);
    }
    void storeWrites() {
        QFETCH(QString, operation);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(Step, failAt);
        const QString verb = operation.section(' ', 0, 0), arg = operation.section(' ', 1, 1);
        QTemporaryDir dir;
        const QString dat = dir.filePath("reminder.dat");
        writeFile(dat, before);
        FailingFileSystem files;
        files.failAt = failAt;
        ReminderStore store(dir.path(), files);
        QVERIFY(store.Open(nullptr));
        ReminderRecord record;
        record.setText(operation.section(' ', 2));
        const auto run = [&](QString* error) {
            if (verb == "write")
                return store.WriteRecord(arg.toInt(), record, error);
            return verb == "keeping"
                       ? store.RewriteKeeping(
                             [](const ReminderRecord& r) { return r.trimmedText() != "first"; },
                             error)
                       : store.RewriteWithout(arg.toInt(), error);
        };
        QString error;
        QCOMPARE(run(&error), failAt == Step::None);
        QCOMPARE(error.isEmpty(), failAt == Step::None);
        QCOMPARE(readFile(dat), after); // made even when empty
        QCOMPARE(store.count(), int(CountFromLength(after.size(), 70)));
        for (int i = 1; i <= store.count(); ++i) // the store reads the new file
            QCOMPARE(store.ReadRecord(i).bytes(), after.mid(70 * (i - 1), 70).leftJustified(70));
        if (failAt != Step::None)
            QVERIFY2(run(&error), qPrintable(error));
    }

    // Another program changes reminder.dat while a command runs; the file afterwards holds all
    // of theirs and the command's own effect.
    void foreignChange_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("foreign");
        QTest::addColumn<QString>("after"); // '+': saved as new, '-': already gone
        const QStringList changes =
            QString("none|replaced by rename|record appended|changed in "
                    "place|shortened by one|deleted|appended under the lock")
                .split('|');
        // The file before is ABC; B is current. Per command, the file after each change.
        const std::pair<const char*, QStringList> rows[] = {
            {"new", {"ABCP", "ABCFP", "ABCFP", "AGCP", "ABP", "P", "ABCFP"}},
            {"save", {"AEC", "AECF", "AECF", "AGCE+", "AE", "E+", "AECF"}},
            {"save after new", {"ABCE", "ABCFE+", "ABCEF", "AGCE", "ABCE+", "E+", "ABCEF"}},
            {"cancel after new", {"ABC", "ABCF-", "ABCF", "AGC", "ABC-", "-", "ABCF"}},
            {"delete", {"AC", "ACF", "ACF", "AGC-", "A", "-", "ACF"}},
            {"purge", {"BC", "BCF", "BCF", "GC", "B", "", "BCF"}},
            {"import", {"ABCXY", "ABCFXY", "ABCFXY", "AGCXY", "ABXY", "XY", "ABCFXY"}},
        };
        for (const auto& [command, after] : rows) {
            for (int i = 0; i < changes.size(); ++i)
                QTest::addRow("%s, %s", command, qPrintable(changes[i]))
                    << QString(command) << changes[i] << after[i];
        }
    }
    void foreignChange() {
        QFETCH(QString, command);
        QFETCH(QString, foreign);
        QFETCH(QString, after);
        const bool savedAsNew = after.endsWith('+'), alreadyGone = after.endsWith('-');
        after.remove(QRegularExpression("[-+]$"));
        QTemporaryDir dir;
        const QString dat = dir.filePath("reminder.dat");
        writeFile(dat, letters("ABC"));
        ReminderSession session(dir.path(), FileSystem::real());
        QVERIFY(session.open(nullptr));
        session.setCurrent(2);
        if (command == "save")
            QVERIFY(session.beginEdit());
        else if (command.endsWith("after new"))
            QVERIFY(session.beginNew(named('P')).tookEffect());

        std::thread holder;
        change(dat, foreign, &holder);
        QSignalSpy written(&session, &ReminderSession::recordsWritten);
        const ReminderSession::Result result =
            command == "new"                ? session.beginNew(named('P'))
            : command.startsWith("save")    ? session.save(named('E'))
            : command == "cancel after new" ? session.cancel()
            : command == "delete"           ? session.deleteCurrent()
            : command == "purge"
                ? session.purge([](const ReminderRecord& r) { return r != named('A'); })
                : session.addRecords({named('X'), named('Y')});
        if (holder.joinable())
            holder.join();

        QVERIFY2(result.outcome == WriteResult::Outcome::Done, qPrintable(result.reason));
        QCOMPARE(readFile(dat), letters(after));
        QCOMPARE(result.savedAsNew, savedAsNew);
        QCOMPARE(result.alreadyGone, alreadyGone);
        QCOMPARE(written.size(), alreadyGone ? 0 : 1);
        // The session holds what the file holds, and the editor is closed.
        QCOMPARE(joined(session.records()), letters(after));
        if (command != "new")
            QCOMPARE(session.editMode(), ReminderSession::EditMode::None);
        if (command.startsWith("save"))
            QCOMPARE(session.record(session.current()), named('E'));
    }

    // The settings file stays one QSettings reads and writes: each value goes both ways
    // unchanged, and a change to one key leaves every other one as it was.
    void settingsCompatible() {
        // Found by the fuzzer: a character beyond the basic plane came back as two "?".
        const SettingsStore::Values values = {{"Days Checked",
                                               " dddd, MMMM \"b\\c=d;e – ✓ 年 📅\tb\nc\x01"
                                               "2 "},
                                              {"Copy Date", "@Variant(x)"},
                                              {"Minimize", ""},
                                              {"Wid/th %x", "1"}};
        QTemporaryDir dir;
        const QString ours = dir.filePath("ours.conf"), theirs = dir.filePath("theirs.conf");
        QVERIFY(SettingsStore(ours).save(values));
        {
            QSettings written(theirs, QSettings::IniFormat);
            for (const auto& [key, value] : values)
                written.setValue("Nudgewell/" + key, value);
            written.setValue("Other/Kept", QStringList{"a", "b"});
        }
        SettingsStore store(theirs);
        QCOMPARE(store.readError(), QString());
        QVERIFY(store.save(keys::Height, "6000"));
        QSettings readBack(ours, QSettings::IniFormat), after(theirs, QSettings::IniFormat);
        for (const auto& [key, value] : values) {
            QCOMPARE(readBack.value("Nudgewell/" + key).toString(), value);
            QCOMPARE(store.get(key), value);
            QCOMPARE(after.value("Nudgewell/" + key).toString(), value);
        }
        QCOMPARE(after.value("Other/Kept").toStringList(), QStringList({"a", "b"}));
        QCOMPARE(after.value("Nudgewell/Height").toString(), "6000");
    }

    // A settings file that cannot be read is reported as such, with the reason, and never
    // written.
    void settingsUnreadable() {
        for (const QString kind : {"[Nudgewell]\ngarbage", "folder", "pipe", "device"}) {
            QTemporaryDir dir;
            const QString file = dir.filePath("Nudgewell.conf");
            const bool text = kind.contains('\n');
            text ? writeFile(file, kind.toUtf8()) : makeNotRegular(file, kind);
            const QByteArray before = readFile(file);
            SettingsStore store(file);
            const QString reason = text ? "name=value" : "not a regular file";
            QVERIFY2(store.readError().contains(reason) && store.readError().contains(file),
                     qPrintable(store.readError()));
            QString error;
            QVERIFY(!store.save(keys::Height, "6000", &error));
            QVERIFY2(error.contains("Cannot write"), qPrintable(error));
            QCOMPARE(readFile(file), before);
        }
    }

    // The file is the user's too: what they add by hand while the program runs is read at
    // use and kept by every write, known key or not; a file they garble is left alone.
    // Leftovers of a run killed while writing (a lock file of QSettings, our temporary file)
    // neither hold a write up nor reach the file; what a failed write could not put down is not
    // kept either.
    void settingsByHand() {
        QTemporaryDir dir;
        const QString file = dir.filePath("Nudgewell.conf");
        writeFile(file, "[Nudgewell]\nHeight=5000\n");
        writeFile(file + ".lock", "");
        writeFile(file + ".tmp", "[Nudgewell]\nHeight=1\n");
        FailingFileSystem files;
        SettingsStore store(file, files);
        QCOMPARE(store.get(keys::CopyDate), QString());
        // An editor's byte order mark stays: a second one after it would otherwise be read
        // as the first. A key given twice counts as QSettings counts it: the last one.
        QByteArray byHand =
            "\xEF\xBB\xBF[Nudgewell]\nHeight=5000\nCopy%20Date=no\n"
            "Copy%20Date=yes\nNotify%20At%20Start=0\nFuture%20Key=1\n\n[Other]\nx=y\n";
        writeFile(file, byHand);
        QCOMPARE(store.get(keys::CopyDate), "yes");
        QElapsedTimer timer;
        timer.start();
        QVERIFY(store.save({{keys::Height, "6000"}, {keys::Width, "9000"}}));
        QCOMPARE_LT(timer.elapsed(), 1000);
        byHand.replace("Height=5000", "Height=6000")
            .replace("Future%20Key=1\n", "Future%20Key=1\nWidth=9000\n");
        QCOMPARE(readFile(file), byHand);
        files.failAt = Step::Rename;
        QString error;
        QVERIFY(!store.save(keys::Height, "7000", &error));
        QVERIFY2(error.contains("injected failure"), qPrintable(error));
        QCOMPARE(store.get(keys::Height), "6000");
        QVERIFY(!QFile::exists(file + ".tmp"));
        QVERIFY2(store.save(keys::Minimize, "1", &error), qPrintable(error));
        QCOMPARE(readFile(file), byHand.replace("Width=9000\n", "Width=9000\nMinimize=1\n"));
        const QByteArray garbled = "[Nudgewell\nHeight=6000\n";
        writeFile(file, garbled);
        QVERIFY(!store.save(keys::Height, "7000", &error));
        QVERIFY2(error.contains("not closed"), qPrintable(error));
        QCOMPARE(readFile(file), garbled);
        QCOMPARE(store.get(keys::Height), "6000"); // the values last read
    }

    // An append after a torn last record goes where the whole records end; a failed one takes
    // back what went down, the torn record included.
    void startupAppend() {
        QTemporaryDir dir;
        const QString path = dir.filePath("startup.dat");
        writeFile(path, QByteArray(70, '#'));
        FailingFileSystem files;
        files.failAt = Step::Write;
        QString error;
        const auto append = [&] {
            return AppendStartupRecord(dir.path(),
                                       QDateTime(QDate(2002, 10, 17), QTime(10, 30, 15)),
                                       DateOrder::DayFirst, kEnglish, files, &error);
        };
        QVERIFY(!append() && !error.isEmpty());
        QCOMPARE(readFile(path), QByteArray(70, '#'));
        QVERIFY2(append(), qPrintable(error));
        QCOMPARE(readFile(path), QByteArray(66, '#') + "17/10/200210:30:15 AM ");
    }
};

QTEST_GUILESS_MAIN(TestCore)
#include "test_core.moc"
