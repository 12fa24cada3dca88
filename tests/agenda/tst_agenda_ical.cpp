// SPDX-License-Identifier: GPL-3.0-or-later
// The iCalendar export as another calendar reads it: the same days as the upcoming list, from
// each stored date on, and events that keep their identity from one export to the next.
#include "agenda/agenda.h"
#include "data/reminder_reader.h"
#include "data/settings.h"
#include "data/view_lines.h"
#include "fakes.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

struct Reminder {
    QString text;
    char flag;
    char code;
    const char* date;
};

// Every frequency; the 29th, 30th and 31st; 29 February; a yearly reminder dated after the
// others; a weekly one that starts late; the same reminder twice; texts with characters that
// must be escaped, a line break, and 55 characters that take more than 75 octets in UTF-8.
// Dates such as 03/02 read differently in a day-first locale. The last two are left out.
const QList<Reminder>& fixture() {
    static const QList<Reminder> reminders = {
        {QStringLiteral("Zo\u00eb pays: ") + QString(45, QChar(0x20AC)), 'X', 'W', "01/01/2027"},
        {"Bins out", 'X', 'W', "03/17/2027"},
        {"Rent due", 'X', 'M', "01/31/2027"},
        {"Pay the card", 'X', 'M', "30/01/2027"},
        {"Water plants", 'X', 'M', "01/29/2027"},
        {"Leap birthday", 'A', 'Y', "02/29/2028"},
        {"Anniversary", 'A', 'Y', "12/31/2029"},
        {"Dentist", 'X', 'O', "03/02/2027"},
        {"Dentist", 'X', 'O', "03/02/2027"},
        {QStringLiteral("Caf\u00e9, tea; milk \\ sugar \u00e9 \u20ac"), 'A', 'Y', "05/12/2027"},
        {"two\nlines", 'X', 'M', "02/15/2027"},
        {"Unreadable", 'X', 'Y', "31/31/2027"},
        {"Unknown", 'X', 'Q', "01/05/2027"},
    };
    return reminders;
}
constexpr int kLeftOut = 2;

QByteArray fixtureBytes() {
    QByteArray all;
    for (const Reminder& r : fixture())
        all += recordBytes(r.text, r.flag, r.code, QLatin1String(r.date));
    return all;
}

QByteArray exportOf(const QString& dir, const QLocale& locale, const QDateTime& now,
                    QByteArray* err = nullptr) {
    FakeClock clock(now, locale);
    SettingsStore settings(QDir(dir).filePath(QStringLiteral("settings.ini")));
    QBuffer out, errors;
    out.open(QIODevice::WriteOnly);
    errors.open(QIODevice::WriteOnly);
    const int status = runAgenda({QStringLiteral("--ical")}, clock, settings, dir, out, errors);
    if (err)
        *err = errors.data();
    return status == 0 ? out.data() : QByteArray();
}

QByteArray withoutStamps(const QByteArray& calendar) {
    QByteArrayList lines = calendar.split('\n');
    lines.removeIf([](const QByteArray& line) { return line.startsWith("DTSTAMP:"); });
    return lines.join('\n');
}

// The events by UID, as a calendar matches them.
QMap<QByteArray, QByteArray> eventsOf(const QByteArray& calendar) {
    QMap<QByteArray, QByteArray> events;
    const QByteArray text = withoutStamps(calendar);
    for (qsizetype at = 0; (at = text.indexOf("UID:", at)) >= 0;) {
        const qsizetype end = text.indexOf("END:VEVENT", at);
        events.insert(text.mid(at, text.indexOf('\r', at) - at), text.mid(at, end - at));
        at = end;
    }
    return events;
}

} // namespace

class TestAgendaICal : public QObject {
    Q_OBJECT

private slots:
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
        writeFile(path, fixtureBytes());
        QByteArray err;
        const QByteArray calendar = exportOf(dir.path(), locale, now, &err);
        QCOMPARE(err,
                 QByteArray("nudgewell-agenda: left out 1 reminder with an unreadable date\n"
                            "nudgewell-agenda: left out 1 reminder with an unknown frequency\n"));
        const QString ics = dir.filePath(QStringLiteral("reminders.ics"));
        writeFile(ics, calendar);

        // What the upcoming list shows on each day, from each reminder's stored date on. The
        // fixture's reminders become the events in file order.
        const DateOrder order = regionalDateOrder(locale);
        ReminderFileReader file;
        QString error;
        QVERIFY2(file.open(path, &error), qPrintable(error));
        QDate first = QDate(9999, 12, 31);
        for (const Reminder& r : fixture()) {
            const QDate stored = ParseStoredDate(QLatin1String(r.date), order);
            first = stored.isValid() ? std::min(first, stored) : first;
        }
        // Two leap days and the years around them.
        const QDate last = first.addYears(6);
        QStringList expected;
        for (QDate day = first; day <= last; day = day.addDays(1)) {
            const ViewContext context = ViewContext::make(day, DateOrder::MonthFirst, locale);
            for (const ListLine& line : buildUpcomingLines(file.records(), context, 0)) {
                const Reminder& r = fixture()[line.record - 1];
                if (day >= ParseStoredDate(QLatin1String(r.date), order))
                    expected << QStringLiteral("%1 %2 %3")
                                    .arg(day.toString(Qt::ISODate))
                                    .arg(line.record - 1)
                                    .arg(r.text);
            }
        }
        QCOMPARE_GT(expected.size(), 500);

        QProcess reader;
        reader.start(QStringLiteral(PYTHON3),
                     {QStringLiteral(ICAL_READER), ics, first.toString(Qt::ISODate),
                      last.toString(Qt::ISODate)});
        QVERIFY(reader.waitForFinished(60000));
        QVERIFY2(reader.exitStatus() == QProcess::NormalExit && reader.exitCode() == 0,
                 reader.readAllStandardError().constData());
        const QJsonObject read = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
        QCOMPARE(read[QLatin1String("stamps")].toArray(), QJsonArray{stamp});
        QStringList occurrences;
        for (const QJsonValue& o : read[QLatin1String("occurrences")].toArray()) {
            const QJsonArray a = o.toArray();
            occurrences << QStringLiteral("%1 %2 %3")
                               .arg(a[0].toString())
                               .arg(a[1].toInt())
                               .arg(a[2].toString());
        }
        QCOMPARE(occurrences, expected);
        QCOMPARE(calendar.count("BEGIN:VEVENT"), fixture().size() - kLeftOut);
    }

    void eventsKeepTheirIdentity_data() {
        QTest::addColumn<int>("at");        // the edit: records from `at` on,
        QTest::addColumn<int>("replaced");  // this many of them,
        QTest::addColumn<QByteArray>("by"); // replaced by these
        QTest::addColumn<int>("gone");      // events whose UIDs are gone
        QTest::addColumn<int>("added");     // and new ones

        const QByteArray none;
        QTest::newRow("unchanged") << 0 << 0 << none << 0 << 0;
        QTest::newRow("text") << 1 << 1 << recordBytes("Bins in", 'X', 'W', "03/17/2027") << 1 << 1;
        // A purge zeroes them; that is no change of the reminder.
        QTest::newRow("reserved bytes")
            << 4 << 1 << recordBytes("Water plants", 'X', 'M', "01/29/2027", "\1\2\3") << 0 << 0;
        QTest::newRow("one added first")
            << 0 << 0 << recordBytes("Call Mum", 'X', 'W', "01/03/2027") << 0 << 1;
        QTest::newRow("one of two alike deleted") << 7 << 1 << none << 1 << 0;
        QTest::newRow("date of one of two alike")
            << 7 << 1 << recordBytes("Dentist", 'X', 'O', "03/09/2027") << 1 << 1;
    }

    void eventsKeepTheirIdentity() {
        QFETCH(int, at);
        QFETCH(int, replaced);
        QFETCH(QByteArray, by);
        QFETCH(int, gone);
        QFETCH(int, added);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("reminder.dat"));
        QByteArray file = fixtureBytes();
        writeFile(path, file);
        const QDateTime now(QDate(2002, 12, 5), QTime(10, 30));
        const QByteArray before = exportOf(dir.path(), QLocale::c(), now);
        QVERIFY(before.contains("\r\nPRODID:-//Quorvane Software//Nudgewell " NUDGEWELL_VERSION
                                "//EN\r\n"));
        writeFile(path, file.replace(at * 70, replaced * 70, by));
        const QByteArray after = exportOf(dir.path(), QLocale::c(), now.addSecs(60));

        QVERIFY(before != after);
        if (gone + added == 0)
            QCOMPARE(withoutStamps(after), withoutStamps(before));
        const QMap<QByteArray, QByteArray> old = eventsOf(before), current = eventsOf(after);
        QCOMPARE(old.size(), fixture().size() - kLeftOut);
        int kept = 0;
        for (auto e = current.begin(); e != current.end(); ++e) {
            if (old.contains(e.key())) {
                QCOMPARE(e.value(), old[e.key()]);
                ++kept;
            }
        }
        QCOMPARE(old.size() - kept, gone);
        QCOMPARE(current.size() - kept, added);
    }
};

QTEST_GUILESS_MAIN(TestAgendaICal)
#include "tst_agenda_ical.moc"
