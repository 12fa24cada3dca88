// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of the data side that need no file: dates, the copied date, the purge and the
// editor's choices, the start-up list's lines, the printed pages and the notification at start.
#include "data/copy_date.h"
#include "data/date_patterns.h"
#include "data/print_layout.h"
#include "data/reminder_rules.h"
#include "data/start_notice.h"
#include "data/startup_log.h"
#include "data/startup_log_file.h"
#include "fakes.h"

#include <QHash>
#include <QRandomGenerator>
#include <QTest>

using namespace nudgewell;
using namespace nudgewell::test;

Q_DECLARE_METATYPE(StartupDateColumn)

namespace {

// A page as segments: "H<n>@<top>" for a heading line, "<a>-<b>@<top>" for list lines a to b
// that follow each other one line height apart from `top`.
QString summarize(const PrintedPage& page, double lineHeight) {
    QStringList out;
    int first = 0, last = 0;
    double firstTop = 0, lastTop = 0;
    const auto flush = [&] {
        if (first)
            out << (first == last ? QString::number(first)
                                  : QString("%1-%2").arg(first).arg(last)) +
                       '@' + QString::number(firstTop);
        first = 0;
    };
    for (const PlacedLine& line : page) {
        if (line.left != kPrintLeft)
            out << "left " + QString::number(line.left);
        if (line.text.startsWith('H')) {
            flush();
            out << QString("%1@%2").arg(line.text).arg(line.top);
            continue;
        }
        const int n = line.text.toInt();
        if (first && n == last + 1 && line.top == lastTop + lineHeight) {
            last = n;
        } else {
            flush();
            first = last = n;
            firstTop = line.top;
        }
        lastTop = line.top;
    }
    flush();
    return out.join(' ');
}

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

// "YA12/05/1977Anna|...": frequency code, years flag, ten-character date, text.
std::vector<ReminderRecord> records(const QString& given) {
    std::vector<ReminderRecord> out;
    for (const QString& r : given.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const QByteArray bytes =
            recordBytes(r.mid(12), r[1].toLatin1(), r[0].toLatin1(), r.mid(2, 10));
        out.push_back(ReminderRecord::fromBytes(bytes.constData(), bytes.size()));
    }
    return out;
}

QByteArray startAt(const QDate& day, DateOrder order = DateOrder::MonthFirst) {
    return StartupRecord::build(QDateTime(day, QTime(8, 15)), order, kEnglish);
}

} // namespace

class TestCoreRules : public QObject {
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

    // The forms the program does not write; its own "nn/nn/nnnn" is checked against QDate below.
    void parseStoredDate_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("underDayFirst");
        QTest::addColumn<QDate>("underMonthFirst");
        QTest::newRow("ambiguous") << "05/12/2001" << QDate(2001, 12, 5) << QDate(2001, 5, 12);
        QTest::newRow("blank before a one-digit day")
            << " 5/12/2001" << QDate(2001, 12, 5) << QDate(2001, 5, 12);
        QTest::newRow("two-digit year 29") << "1-2-29" << QDate(2029, 2, 1) << QDate(2029, 1, 2);
        QTest::newRow("two-digit year 30")
            << "25.12.30" << QDate(1930, 12, 25) << QDate(1930, 12, 25);
        for (const char* bad : {"", "garbage", "1/2", "25/12/2001x", "12/25/20x1", "1//2001",
                                "12/25/00099", "123/1/2001"})
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

    // Random dates in the form the program writes, both orders, against QDate's calendar: the
    // date in the order given when it exists, else in the other order, else none.
    void storedDatesAgainstQDate() {
        QRandomGenerator random(20371206);
        for (int i = 0; i < 4000; ++i) {
            const int first = random.bounded(0, 34);
            const int second = random.bounded(0, 34);
            // Every fourth a century, where the leap years differ.
            const int year = i % 4 == 0 ? random.bounded(0, 100) * 100 : random.bounded(0, 10000);
            const QString text = QString("%1/%2/%3")
                                     .arg(first, 2, 10, QChar('0'))
                                     .arg(second, 2, 10, QChar('0'))
                                     .arg(year, 4, 10, QChar('0'));
            const QByteArray bytes = text.toLatin1();
            for (const DateOrder order : {DateOrder::DayFirst, DateOrder::MonthFirst}) {
                const bool dayFirst = order == DateOrder::DayFirst;
                const int day = dayFirst ? first : second;
                const int month = dayFirst ? second : first;
                const QDate expected = year < 100                         ? QDate()
                                       : QDate::isValid(year, month, day) ? QDate(year, month, day)
                                       : QDate::isValid(year, day, month) ? QDate(year, day, month)
                                                                          : QDate();
                // The list views take the parts without building a QDate.
                const DateParts parts = ParseStoredDateParts(QLatin1StringView(bytes), order);
                QCOMPARE(parts.isValid()
                             ? QString::asprintf("%d-%d-%d", parts.year, parts.month, parts.day)
                             : "none",
                         expected.isValid() ? QString::asprintf("%d-%d-%d", expected.year(),
                                                                expected.month(), expected.day())
                                            : "none");
                QCOMPARE(ParseStoredDate(QStringView(text), order), expected);
            }
        }
    }

    void copiedText_data() {
        QTest::addColumn<QString>("settings"); // "Key=value;...", a missing key left out
        QTest::addColumn<QString>("copied");   // en_GB; "-" for nothing
        QTest::newRow("no settings") << ""
                                     << "-";
        QTest::newRow("copy alone") << "Copy Date=yes"
                                    << "Monday, 4 March 2002";
        QTest::newRow("copy with a capital") << "Copy Date=Yes"
                                             << "-";
        QTest::newRow("long no alone") << "Copy Date=yes;Long Date=no"
                                       << "-";
        QTest::newRow("long stored empty") << "Copy Date=yes;Long Date="
                                           << "Monday, 4 March 2002";
        QTest::newRow("short beats medium")
            << "Copy Date=yes;Short Date=yes;Medium Date=yes;Long Date=no"
            << "04/03/2002";
        QTest::newRow("medium, day first") << "Copy Date=yes;Medium Date=yes;Long Date=no"
                                           << "4 Mar 2002";
        QTest::newRow("trailing blank") << "Copy Date=yes "
                                        << "-";
        QTest::newRow("capitals fall through") << "Copy Date=yes;Short Date=Yes;Medium Date=YES"
                                               << "Monday, 4 March 2002";
        QTest::newRow("capital long") << "Copy Date=yes;Short Date=no;Long Date=Yes"
                                      << "-";
    }
    void copiedText() {
        QFETCH(QString, settings);
        QFETCH(QString, copied);
        QHash<QString, QString> store;
        for (const QString& pair : settings.split(';', Qt::SkipEmptyParts))
            store.insert(pair.section('=', 0, 0), pair.section('=', 1));
        const auto text = copyDateText(
            QDate(2002, 3, 4), [&](const QString& key) { return store.value(key); },
            QLocale(QLocale::English, QLocale::UnitedKingdom));
        QCOMPARE(text.value_or("-"), copied);
    }

    // The purge reads stored dates in the regional order, whatever "Calendar Format" says.
    void pastOneTime_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<char>("code");
        QTest::addColumn<QString>("date");
        QTest::addColumn<bool>("past");
        const auto row = [](const char* name, const char* locale, char code, const char* date,
                            bool past) {
            QTest::newRow(name) << QString(locale) << code << QString(date) << past;
        };
        // Today is Friday 6 December 2002.
        row("month-first: yesterday", "en_US", 'O', "12/05/2002", true);
        row("month-first: today stays", "en_US", 'O', "12/06/2002", false);
        row("month-first: 12 July is past", "en_US", 'O', "07/12/2002", true);
        row("day-first: yesterday", "en_GB", 'O', "05/12/2002", true);
        row("day-first: today stays", "en_GB", 'O', "06/12/2002", false);
        row("day-first: 7 December is ahead", "en_GB", 'O', "07/12/2002", false);
        row("day-first: a month-first date reads as 12 May", "de_DE", 'O', "12/05/2002", true);
        row("day-first: no month 25, read month-first", "en_GB", 'O', "12/25/2001", true);
        row("neither order reads 31/31 and it stays", "en_GB", 'O', "31/31/2001", false);
        row("unreadable stays", "en_US", 'O', "garbage   ", false);
        row("blank stays", "en_US", 'O', "          ", false);
        for (char code : {'W', 'M', 'Y', 'Z'})
            row(QByteArray("only one-time: ").append(code).constData(), "en_US", code, "12/05/1990",
                false);
    }
    void pastOneTime() {
        QFETCH(QString, locale);
        QFETCH(char, code);
        QFETCH(QString, date);
        QFETCH(bool, past);
        const ReminderRecord record =
            ReminderRecord::fromBytes(recordBytes("Dentist", 'X', code, date), 70);
        QCOMPARE(isPastOneTime(record, QDate(2002, 12, 6), QLocale(locale)), past);
    }

    void frequencyChoices() {
        const QByteArray letters = "OWMY";
        for (int choice = 0; choice < letters.size(); ++choice) {
            QCOMPARE(frequencyCodeForChoice(choice), letters[choice]);
            QCOMPARE(choiceForFrequencyCode(letters[choice]), choice);
        }
        QCOMPARE(frequencyCodeForChoice(-1), ' ');
        QCOMPARE(frequencyCodeForChoice(4), ' ');
        QCOMPARE(choiceForFrequencyCode('o'), -1); // letters are compared exactly
        QCOMPARE(choiceForFrequencyCode(' '), -1);
    }

    // New's placeholder is month-first in every locale.
    void placeholder() {
        QCOMPARE(newPlaceholderRecord(QDate(2002, 1, 9)).bytes(),
                 recordBytes("", 'X', 'O', "01/09/2002"));
    }

    void startupLine_data() {
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
    void startupLine() {
        QFETCH(QByteArray, record);
        QFETCH(StartupDateColumn, column);
        QFETCH(QString, locale);
        QFETCH(QString, line);
        QCOMPARE(StartupListLine(record, 7, column, QLocale(locale)), line);
    }

    void printLayout_data() {
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("headed");
        QTest::addColumn<double>("pageHeight");
        QTest::addColumn<QString>("expected"); // pages joined by " | "
        // 54 list lines below the heading, 63 on a bare page. 100 and 48 lines are printed
        // to a PDF file by the printing suite.
        const double letter = 15120;
        QTest::newRow("47 fit one page") << 47 << true << letter << "H1@1000 H2@1240 1-47@2000";
        QTest::newRow("no heading after line 336; the page size breaks the rest")
            << 400 << true << letter
            << "H1@1000 H2@1240 1-48@2000 | H1@1000 H2@1240 49-96@2000 | "
               "H1@1000 H2@1240 97-144@2000 | H1@1000 H2@1240 145-192@2000 | "
               "H1@1000 H2@1240 193-240@2000 | H1@1000 H2@1240 241-288@2000 | "
               "H1@1000 H2@1240 289-336@2000 | H1@1000 H2@1240 337-390@2000 | 391-400@0";
        QTest::newRow("upcoming: one heading, page breaks only by size")
            << 120 << false << letter << "H1@1000 H2@1240 1-54@2000 | 55-117@0 | 118-120@0";
        QTest::newRow("upcoming, 48 lines: no page end")
            << 48 << false << letter << "H1@1000 H2@1240 1-48@2000";
        QTest::newRow("a short page breaks inside the 48")
            << 50 << true << 9680.0
            << "H1@1000 H2@1240 1-32@2000 | 33-48@0 | H1@1000 H2@1240 49-50@2000";
        QTest::newRow("a page too short for the heading: no blank page")
            << 2 << false << 200.0 << "H1@0 | H2@0 | 1@0 | 2@0";
        QTest::newRow("nothing to list") << 0 << true << letter << "H1@1000 H2@1240";
    }
    void printLayout() {
        QFETCH(int, lines);
        QFETCH(bool, headed);
        QFETCH(double, pageHeight);
        QFETCH(QString, expected);
        QStringList texts;
        for (int i = 1; i <= lines; ++i)
            texts << QString::number(i);
        const auto pages = layOutPrintout({"H1", "H2"}, texts, headed, 240, pageHeight);
        QStringList got;
        for (const PrintedPage& page : pages)
            got << summarize(page, 240);
        QCOMPARE(got.join(" | "), expected);
    }

    // The body's lines are joined by "|"; markupBody is given only where it differs.
    void startNotice_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<bool>("dayFirstLog");
        QTest::addColumn<bool>("minimised");
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("markupBody");
        const QDate thu(2002, 12, 5);
        const auto row = [](const char* name, QDate today, const QByteArray& log, bool minimised,
                            const char* given, const char* summary, const char* body,
                            const char* markupBody = "", bool dayFirstLog = false) {
            QTest::newRow(name) << today << log << dayFirstLog << minimised << QString(given)
                                << QString::fromUtf8(summary) << QString::fromUtf8(body)
                                << QString::fromUtf8(markupBody);
        };
        const QByteArray yesterday = startAt(thu.addDays(-1));
        row("none due today or since the last start", thu, startAt(QDate(2002, 12, 1)), true,
            "OX12/10/2002Later|OX12/01/2002On the day of the last start", "", "");
        row("today, minimised", thu, yesterday, true,
            "YA12/05/1977Anna's birthday     |OX12/10/2002Later", "1 reminder today",
            "Anna's birthday — 25 years");
        row("today, window on screen", thu, yesterday, false, "YA12/05/1977Anna", "", "");
        row("missed only, window on screen", thu, startAt(QDate(2002, 12, 2)), false,
            "OX12/03/2002Dentist|OX12/02/2002Seen at the last start", "1 reminder missed",
            "Missed since Monday 2 December:|Tue 3 December: Dentist");
        row("both, by day and then file order", thu, startAt(QDate(2002, 11, 30)), false,
            "WX11/25/2002Gym|YA12/05/1977Anna|OX12/03/2002Dentist|MX11/04/2002Rent|"
            "OX12/02/2002Call Bob",
            "1 reminder today, 4 missed",
            "Anna — 25 years|Missed since Saturday 30 November:|Mon 2 December: Gym|"
            "Mon 2 December: Call Bob|Tue 3 December: Dentist|Wed 4 December: Rent");
        row("a start 400 days ago looks back 366 days", thu, startAt(thu.addDays(-400)), false,
            "OX12/03/2001Too old|OX12/04/2001Just in|OX11/15/2001Older", "1 reminder missed",
            "Missed since Monday 3 December 2001:|Tue 4 December 2001: Just in");
        row("the previous start today: nothing missed", thu,
            startAt(QDate(2002, 11, 1)) + startAt(thu), true,
            "OX12/03/2002Dentist|YA12/05/1977Anna", "1 reminder today", "Anna — 25 years");
        row("previous start read in the calendar's order", thu,
            startAt(QDate(2002, 12, 2), DateOrder::DayFirst), false, "OX12/03/2002Dentist",
            "1 reminder missed", "Missed since Monday 2 December:|Tue 3 December: Dentist", "",
            true);
        row("unreadable previous record: nothing missed", thu,
            startAt(QDate(2002, 11, 1)) + QByteArray("99/99/2002 8:15:00 AM "), false,
            "OX12/03/2002Dentist", "", "");
        row("no previous record: nothing missed", thu, QByteArray(), false, "OX12/03/2002Dentist",
            "", "");
        row("a last record cut in its time keeps its date", thu,
            startAt(QDate(2002, 11, 1)) + QByteArray("12/02/2002 8:1"), false,
            "OX12/03/2002Dentist|OX11/15/2002Seen", "1 reminder missed",
            "Missed since Monday 2 December:|Tue 3 December: Dentist");
        row("29 February and the 31st in the span", QDate(2004, 3, 2), startAt(QDate(2004, 1, 30)),
            false, "YA02/29/1996Leap day|MX10/31/2003Pay|MX10/30/2003Rent", "2 reminders missed",
            "Missed since Friday 30 January:|Sat 31 January: Pay|"
            "Sun 29 February: Leap day — 8 years");
        row("years at the day of the occurrence, none before the stored date", QDate(2003, 1, 2),
            startAt(QDate(2002, 12, 20)), true,
            "YA12/25/1990Christmas|YA01/02/2004Next year|YA01/02/2002Last year",
            "2 reminders today, 1 missed",
            "Next year|Last year — 1 year|Missed since Friday 20 December 2002:|"
            "Wed 25 December 2002: Christmas — 12 years");
        row("more than eight of each", thu, startAt(thu.addDays(-70)), true,
            "YX12/05/2000T1|YX12/05/2000T2|YX12/05/2000T3|YX12/05/2000T4|YX12/05/2000T5|"
            "WX11/28/2002Gym|YX12/05/2000T6|YX12/05/2000T7|YX12/05/2000T8|YX12/05/2000T9",
            "10 reminders today, 9 missed",
            "T1|T2|T3|T4|T5|Gym|T6|T7|and 2 more|Missed since Thursday 26 September:|"
            "Thu 3 October: Gym|Thu 10 October: Gym|Thu 17 October: Gym|Thu 24 October: Gym|"
            "Thu 31 October: Gym|Thu 7 November: Gym|Thu 14 November: Gym|"
            "Thu 21 November: Gym|and 1 more");
        row("markup characters escaped, a %1 kept", thu, startAt(QDate(2002, 12, 3)), true,
            "OX12/05/2002<b>Tea & cake</b>|OX12/04/2002Fix %1 > 2", "1 reminder today, 1 missed",
            "<b>Tea & cake</b>|Missed since Tuesday 3 December:|Wed 4 December: Fix %1 > 2",
            "&lt;b&gt;Tea &amp; cake&lt;/b&gt;|Missed since Tuesday 3 December:|"
            "Wed 4 December: Fix %1 &gt; 2");
    }

    void startNotice() {
        QFETCH(QDate, today);
        QFETCH(QByteArray, log);
        QFETCH(bool, dayFirstLog);
        QFETCH(bool, minimised);
        QFETCH(QString, given);
        QFETCH(QString, summary);
        QFETCH(QString, body);
        QFETCH(QString, markupBody);
        const std::vector<ReminderRecord> all = records(given);
        const QDate previous =
            previousStartDate(log, dayFirstLog ? DateOrder::DayFirst : DateOrder::MonthFirst);
        const StartNotice notice = buildStartNotice(
            all, ViewContext::make(today, DateOrder::MonthFirst, kEnglish), previous, minimised);
        QCOMPARE(notice.summary, summary);
        QCOMPARE(notice.isEmpty(), summary.isEmpty());
        QCOMPARE(notice.lines.join(QLatin1Char('|')), body);
        const QString markup = markupBody.isEmpty() ? body : markupBody;
        QCOMPARE(notice.body(true), QString(markup).replace(QLatin1Char('|'), QLatin1Char('\n')));
        QCOMPARE(notice.body(false), QString(body).replace(QLatin1Char('|'), QLatin1Char('\n')));
    }
};

QTEST_GUILESS_MAIN(TestCoreRules)
#include "test_core_rules.moc"
