// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/start_notice.h"
#include "data/startup_log_file.h"
#include "fakes.h"

#include <QTest>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

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

class TestStartNotice : public QObject {
    Q_OBJECT

private slots:
    // The body's lines are joined by "|"; markupBody is given only where it differs.
    void notice_data() {
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

    void notice() {
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

QTEST_GUILESS_MAIN(TestStartNotice)
#include "test_start_notice.moc"
