// SPDX-License-Identifier: GPL-3.0-or-later
// The agenda command as a user runs it: exit statuses, one-line errors, no trace left; and its
// iCalendar export as another calendar reads it (libical, and the line rules a lenient reader
// would gloss over): the same days as the upcoming list, from each stored date on; and the
// import reads it back into the same reminders.
#include "agenda/agenda.h"
#include "data/reminder_reader.h"
#include "data/settings.h"
#include "data/view_lines.h"
#include "fakes.h"
#include "import/importer.h"
#include "rows.h"

#include <QBuffer>
#include <QProcess>
#include <QtTest>

#include <libical/ical.h>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

// Every frequency; the 29th, 30th and 31st; 29 February; a yearly reminder dated after the
// others; a weekly one that starts late; the same reminder twice; texts with characters that
// must be escaped, a line break, and 55 characters that take more than 75 octets in UTF-8.
// Dates such as 03/02 read differently in a day-first locale. The last two are left out.
QByteArray fixture() {
    return recordBytes(u"Zo\u00eb pays: "_qs + QString(45, QChar(0x20AC)), 'X', 'W', "01/01/2027") +
           recordBytes("Bins out", 'X', 'W', "03/17/2027") +
           recordBytes("Rent due", 'X', 'M', "01/31/2027") +
           recordBytes("Pay the card", 'X', 'M', "30/01/2027") +
           recordBytes("Water plants", 'X', 'M', "01/29/2027") +
           recordBytes("Leap birthday", 'A', 'Y', "02/29/2028") +
           recordBytes("Anniversary", 'X', 'Y', "12/31/2029") +
           recordBytes("Dentist", 'X', 'O', "03/02/2027") +
           recordBytes("Dentist", 'X', 'O', "03/02/2027") +
           recordBytes(u"Caf\u00e9, tea; milk \\ sugar \u00e9 \u20ac"_qs, 'A', 'O', "05/12/2027") +
           recordBytes("two\nlines", 'X', 'M', "02/15/2027") +
           recordBytes("Unreadable", 'X', 'Y', "31/31/2027") +
           recordBytes("Unknown", 'X', 'Q', "01/05/2027");
}
constexpr int kEvents = 11;

// "text|years flag|frequency|day" of each record, once each; a line break comes back as the
// blank the text box makes of it.
QSet<QString> remindersIn(std::span<const ReminderRecord> records, DateOrder order) {
    QSet<QString> out;
    for (const ReminderRecord& r : records)
        out << QStringLiteral("%1|%2|%3|%4")
                   .arg(r.trimmedText().replace(u'\n', u' '), QChar(r.yearsFlag()),
                        QChar(r.frequencyCode()),
                        ParseStoredDate(r.dateText(), order).toString(Qt::ISODate));
    return out;
}

// Where the file breaks RFC 5545 on a point a lenient reader would take as it stands.
QString lineFault(const QByteArray& calendar) {
    static const QRegularExpression octetLines(QStringLiteral(R"(\A(?:[^\r\n]{0,75}\r\n)+\z)"));
    if (!octetLines.match(QString::fromLatin1(calendar)).hasMatch())
        return QStringLiteral("not lines of 75 octets or less, each ended by CRLF");
    // Decoded before unfolding: a fold inside a UTF-8 sequence puts CRLF between its bytes.
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = QString(utf8(calendar)).replace(QLatin1String("\r\n "), QString());
    if (utf8.hasError())
        return QStringLiteral("not UTF-8");
    // A lone backslash, comma or semicolon in a text: some readers split the text there.
    static const QRegularExpression escaped(
        QStringLiteral(R"(^(SUMMARY|DESCRIPTION):([^\\;,\x00-\x08\x0a-\x1f\x7f]|\\[\\;,nN])*$)"));
    for (const QString& line : text.split(QLatin1String("\r\n")))
        if ((line.startsWith(u"SUMMARY") || line.startsWith(u"DESCRIPTION")) &&
            !escaped.match(line).hasMatch())
            return QStringLiteral("badly escaped: ") + line;
    return {};
}

// "day event summary" for each day from first to last that libical expands the events to,
// events numbered from 0 (-1: not all-day); and each event's UID.
QStringList occurrencesOf(const QByteArray& calendar, QDate first, QDate last,
                          QSet<QByteArray>* uids) {
    const std::unique_ptr<icalcomponent, void (*)(icalcomponent*)> root(
        icalparser_parse_string(calendar.constData()), icalcomponent_free);
    QStringList out;
    int number = 0;
    for (icalcomponent* event =
             icalcomponent_get_first_component(root.get(), ICAL_VEVENT_COMPONENT);
         event; event = icalcomponent_get_next_component(root.get(), ICAL_VEVENT_COMPONENT)) {
        *uids << icalcomponent_get_uid(event);
        const icaltimetype start = icalcomponent_get_dtstart(event);
        icalproperty* rule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
        icalrecur_iterator* days =
            rule ? icalrecur_iterator_new(icalproperty_get_rrule(rule), start) : nullptr;
        for (icaltimetype t = days ? icalrecur_iterator_next(days) : start;
             !icaltime_is_null_time(t) && QDate(t.year, t.month, t.day) <= last;
             t = days ? icalrecur_iterator_next(days) : icaltime_null_time()) {
            const QDate day(t.year, t.month, t.day);
            if (day >= first)
                out << QStringLiteral("%1 %2 %3")
                           .arg(day.toString(Qt::ISODate))
                           .arg(start.is_date ? number : -1)
                           .arg(QString::fromUtf8(icalcomponent_get_summary(event)));
        }
        if (days)
            icalrecur_iterator_free(days);
        ++number;
    }
    out.sort();
    return out;
}

} // namespace

class TestAgenda : public QObject {
    Q_OBJECT

private slots:
    // Each row in a folder of its own, HOME included; the first failure ends them and names
    // its row. status: 1 only with the output going to /dev/full; output: how it begins,
    // and then one warning line.
    void run() {
        const QByteArray empty(""), record = recordBytes("Bins", 'X', 'W', "01/05/2026");
        const auto row = [](const char* name, QStringList arguments, const QByteArray& file,
                            int status, const QByteArray& output = {}) {
            if (QTest::currentTestFailed())
                return;
            const auto named = nameFailures(name);
            // HOME is made on the first write to it, settings included.
            QTemporaryDir dir;
            const QString reminders = dir.filePath(QStringLiteral("reminder.dat"));
            writeFile(reminders, file);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
            env.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       dir.filePath(QStringLiteral("home/config")));
            QProcess process;
            process.setProcessEnvironment(env);
            process.setWorkingDirectory(dir.path());
            if (status == 1) // to a pipe, output lost in a buffer at exit would go unseen
                process.setStandardOutputFile(QStringLiteral("/dev/full"));
            process.start(QStringLiteral(AGENDA_PATH),
                          arguments.replaceInStrings("%D", dir.path()));
            QVERIFY(process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit);
            QCOMPARE(process.exitCode(), status);
            const QByteArray out = process.readAllStandardOutput();
            QVERIFY(out.startsWith(output) && out.isEmpty() == output.isEmpty());
            const QByteArray err = process.readAllStandardError();
            const bool oneLine =
                err.startsWith("nudgewell-agenda: ") && err.indexOf('\n') == err.size() - 1;
            QVERIFY2(status == 0 && output.isEmpty() ? err.isEmpty() : oneLine, err.constData());
            const auto all = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden;
            QCOMPARE(QDir(dir.path()).entryList(all), QStringList{"reminder.dat"});
            QCOMPARE(readFile(reminders), file);
        };
        row("bad option", {"--bo\ngus"}, empty, 2);
        row("--days past a leap year", {"--days", "367"}, empty, 2);
        row("--publish-to without --user", {"--publish-to", "https://example.org/cal/"}, empty, 2);
        row("--publish with --ical", {"--publish", "--ical"}, empty, 2);
        // A reminder.dat that is not there: the same failure as the default one missing.
        row("missing --file", {"--file", "%D/no\nne"}, empty, 2);
        row("empty file", {}, empty, 0);
        row("output cannot be written", {"--all"}, record, 1);
        row("--ical with --days", {"--ical", "--days=3"}, record, 2);
        row("--ical, unreadable date", {"--ical"}, record + recordBytes("Bins", 'X', 'W', "1/5/"),
            0, "BEGIN:VCALENDAR\r\n");
        row("--ical cannot be written", {"--ical"}, record, 1);
    }

    void sameDaysAsUpcomingList_data() {
        QTest::addColumn<QLocale>("locale"); // whose day/month order reads the stored dates
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("stamp");

        QTest::newRow("month-first")
            << QLocale::c() << QDateTime(QDate(2002, 12, 5), QTime(10, 30)) << "20021205T103000Z";
        QTest::newRow("day-first, clock east of UTC")
            << QLocale(QLocale::German, QLocale::Germany)
            << QDateTime(QDate(2003, 1, 1), QTime(0, 15, 9), Qt::OffsetFromUTC, 3600)
            << "20021231T231509Z";
    }

    void sameDaysAsUpcomingList() {
        QFETCH(QLocale, locale);
        QFETCH(QDateTime, now);
        QFETCH(QString, stamp);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("reminder.dat"));
        writeFile(path, fixture());
        FakeClock clock(now, locale);
        SettingsStore settings(dir.filePath(QStringLiteral("settings.ini")));
        QBuffer out, err;
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        QCOMPARE(runAgenda({QStringLiteral("--ical")}, clock, settings, dir.path(), out, err), 0);
        const QByteArray calendar = out.data();
        QCOMPARE(err.data(),
                 QByteArray("nudgewell-agenda: left out 1 reminder with an unreadable date\n"
                            "nudgewell-agenda: left out 1 reminder with an unknown frequency\n"));
        QVERIFY(calendar.startsWith("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Quorvane "
                                    "Software//Nudgewell " NUDGEWELL_VERSION "//EN\r\n"));
        QCOMPARE(lineFault(calendar), QString());

        // What the upcoming list shows on each day, from each reminder's stored date on. The
        // fixture's reminders become the events in file order.
        const DateOrder order = regionalDateOrder(locale);
        ReminderFileReader file;
        QVERIFY(file.open(path, nullptr));
        // From the first stored date, in either order, over two leap days.
        const QDate first(2027, 1, 1), last(2033, 1, 1);
        QStringList expected;
        for (QDate day = first; day <= last; day = day.addDays(1)) {
            const ViewContext context = ViewContext::make(day, DateOrder::MonthFirst, locale);
            for (const ListLine& line : buildUpcomingLines(file.records(), context, 0)) {
                const ReminderRecord& r = file.records()[line.record - 1];
                if (day >= ParseStoredDate(r.dateText(), order))
                    expected << QStringLiteral("%1 %2 %3")
                                    .arg(day.toString(Qt::ISODate))
                                    .arg(line.record - 1)
                                    .arg(r.trimmedText());
            }
        }
        QCOMPARE_GT(expected.size(), 500);
        expected.sort();

        QSet<QByteArray> uids;
        QCOMPARE(occurrencesOf(calendar, first, last, &uids), expected);
        QCOMPARE(calendar.count("\r\nDTSTAMP:" + stamp.toLatin1() + "\r\n"), kEvents);
        QCOMPARE(uids.size(), kEvents);

        // Imported into an empty folder: every reminder once, the same day in either order.
        QTemporaryDir back;
        writeFile(back.filePath(QStringLiteral("export.ics")), calendar);
        ReminderSession store(back.path(), FileSystem::real());
        QVERIFY(store.open(nullptr));
        const ImportReport report =
            importFiles({back.filePath(QStringLiteral("export.ics"))}, store, order, order);
        QCOMPARE(report.summary(), "10 reminders added, 1 already there, 0 skipped.");
        ReminderFileReader imported;
        QVERIFY(imported.open(store.path(), nullptr));
        QCOMPARE(remindersIn(imported.records(), order),
                 remindersIn(file.records().first(kEvents), order));
    }
};

QTEST_GUILESS_MAIN(TestAgenda)
#include "tst_agenda.moc"
