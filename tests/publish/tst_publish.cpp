// SPDX-License-Identifier: GPL-3.0-or-later
// The calendar mirror against a real CalDAV server (radicale on 127.0.0.1, htpasswd users),
// the password in a real secret store, through the installed command as a user runs it.
#include "fakes.h"
#include "publish/calendar_events.h"
#include "publish/publisher.h"
#include "publish/secret_store.h"
#include "rows.h"

#include <QProcess>
#include <QTcpServer>
#include <QtTest>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

const QString kUser = QStringLiteral("anna");
const QString kPassword = QStringLiteral("s3cret pass");
const QString kForeignUid = QStringLiteral("meeting-42@example.org");

QByteArray fixture() {
    return recordBytes("Anna's birthday", 'A', 'Y', "02/29/1996") +
           recordBytes("Rent", 'X', 'M', "01/31/2026") +
           recordBytes("Bins", 'X', 'W', "01/05/2026") +
           recordBytes(u"a,b;c\\ \u00e9 \u20ac"_qs, 'X', 'O', "03/01/2027") +
           recordBytes("Bins", 'X', 'W', "01/05/2026") +
           recordBytes("Leap day lunch", 'X', 'O', "02/29/2028");
}

} // namespace

class TestPublish : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QProcess m_server;
    QProcess m_untrusted; // TLS with a certificate nobody trusts
    quint16 m_port = 0;
    quint16 m_tlsPort = 0;
    qint64 m_logSeen = 0;

    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString calendarUrl() const {
        return QStringLiteral("http://127.0.0.1:%1/%2/reminders/").arg(m_port).arg(kUser);
    }
    // In the suite's own home, as the command run from it finds it.
    static QString config(const char* name) {
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
               QStringLiteral("/Quorvane Software/") + QLatin1String(name);
    }

    // Radicale logs that it is ready once it listens.
    void startServer() {
        const qsizetype ready = readFile(path("radicale.log")).count("ready");
        m_server.start(QStringLiteral(RADICALE),
                       {QStringLiteral("--config"), path("radicale.conf")});
        QTRY_VERIFY_WITH_TIMEOUT(readFile(path("radicale.log")).count("ready") > ready, 10000);
    }

    void stopServer() {
        m_server.terminate();
        QVERIFY(m_server.waitForFinished(10000));
    }

    // Another program's change, straight into radicale's storage.
    QString onServer(const QString& uid) const {
        return path("storage/collection-root/" + kUser + "/reminders/" + uid + ".ics");
    }

    // What radicale keeps: our events exactly, alarms included, and the other program's.
    bool calendarMatches() {
        QByteArrayList wanted{"foreign"}, found;
        for (const CalendarObject& o : objectsOf(readFile(path("reminder.dat"))))
            wanted << o.hash;
        const QDir calendar = QFileInfo(onServer(kForeignUid)).dir();
        for (const QString& name : calendar.entryList(QDir::Files)) {
            const QByteArray data = readFile(calendar.filePath(name));
            found << (uidOf(data) == kForeignUid ? QByteArray("foreign") : contentHash(data));
        }
        return std::is_permutation(found.begin(), found.end(), wanted.begin(), wanted.end());
    }

    static std::vector<CalendarObject> objectsOf(const QByteArray& records) {
        ICalendarCounts counts;
        return calendarObjects({reinterpret_cast<const ReminderRecord*>(records.constData()),
                                size_t(records.size() / ReminderRecord::Size)},
                               DateOrder::MonthFirst, QDateTime::currentDateTimeUtc(), &counts);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid() && QDir(config("")).removeRecursively()); // an earlier run's
        for (quint16* port : {&m_port, &m_tlsPort}) {
            QTcpServer free;
            QVERIFY(free.listen(QHostAddress::LocalHost));
            *port = free.serverPort();
        }
        m_untrusted.setWorkingDirectory(m_dir.path());
        m_untrusted.start(
            QStringLiteral("sh"),
            {"-c", QStringLiteral("openssl req -x509 -newkey ec -pkeyopt "
                                  "ec_paramgen_curve:P-256 -nodes -subj /CN=127.0.0.1 "
                                  "-keyout c.pem -out c.pem 2>/dev/null && exec "
                                  "openssl s_server -quiet -accept %1 -cert c.pem")
                       .arg(m_tlsPort)});
        writeFile(path("users"), (kUser + u':' + kPassword + u'\n').toUtf8());
        writeFile(path("radicale.conf"),
                  QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n"
                                 "[auth]\ntype = htpasswd\nhtpasswd_filename = %2\n"
                                 "htpasswd_encryption = plain\n"
                                 "[storage]\nfilesystem_folder = %3\n"
                                 "[rights]\ntype = owner_only\n"
                                 "[logging]\nlevel = info\n")
                      .arg(m_port)
                      .arg(path("users"), path("storage"))
                      .toUtf8());
        // The calendar and another program's event, as radicale keeps them.
        QVERIFY(QDir().mkpath(QFileInfo(onServer(kForeignUid)).path()));
        writeFile(QFileInfo(onServer(kForeignUid)).dir().filePath(".Radicale.props"),
                  R"({"tag": "VCALENDAR"})");
        writeFile(onServer(kForeignUid),
                  "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\nBEGIN:VEVENT\r\nUID:" +
                      kForeignUid.toUtf8() +
                      "\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260105T100000Z\r\n"
                      "SUMMARY:Team meeting\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
        m_server.setStandardErrorFile(path("radicale.log"), QIODevice::Append);
        startServer();
        writeFile(path("reminder.dat"), fixture());
    }

    void cleanupTestCase() {
        stopServer();
        m_untrusted.kill();
        m_untrusted.waitForFinished();
    }

    // Steps in order, on one server and one settings home; the first failure ends them and
    // names its step.
    void command() {
        const QString cache = config("Nudgewell-calendar.json");
        // change: what changes before the command; %U in the arguments: the calendar's
        // address; message: in the one line on standard error; puts and deletes: the
        // requests the server saw.
        const auto step = [&](const char* name, const QString& change, QStringList arguments,
                              int status, const QString& message = {}, int puts = 0,
                              int deletes = 0) {
            if (QTest::currentTestFailed())
                return;
            const auto named = nameFailures(name);
            if (arguments.first() == u"--publish-to")
                arguments << "--user" << kUser;
            QByteArray records = readFile(path("reminder.dat"));
            if (change == u"reserved")
                records.replace(ReminderRecord::TextLength, 3, "\1\2\3");
            else if (change == u"change")
                records.replace(ReminderRecord::Size, 4, "Flat");
            else if (change == u"delete")
                records.remove(2 * ReminderRecord::Size, ReminderRecord::Size); // the first Bins
            writeFile(path("reminder.dat"), records);
            if (change == u"lose cache")
                QVERIFY(QFile::remove(cache));
            if (change == u"edit on server") {
                const QString file = onServer(objectsOf(records).front().uid);
                writeFile(file, readFile(file).replace("SUMMARY:Anna's", "SUMMARY:Bob's"));
            }
            if (change == u"stop server")
                stopServer();
            if (change == u"start server")
                startServer();

            QProcess agenda;
            agenda.setWorkingDirectory(m_dir.path());
            agenda.start(QStringLiteral(AGENDA_PATH),
                         arguments.replaceInStrings("%U", calendarUrl()));
            // The password on standard input, when setting up.
            if (arguments.contains(u"--publish-to"))
                agenda.write(change == u"wrong password" ? "guess\n"
                                                         : (kPassword + u'\n').toUtf8());
            agenda.closeWriteChannel();
            QVERIFY(agenda.waitForFinished(20000)); // a server down is told at once
            const QString err = QString::fromUtf8(agenda.readAllStandardError());
            QVERIFY2(agenda.exitCode() == status, qPrintable(err));
            QVERIFY2(message.isEmpty() ? err.isEmpty()
                                       : err.startsWith(u"nudgewell-agenda: ") &&
                                             err.contains(message) && err.count(u'\n') == 1,
                     qPrintable(err));
            // The PUT and DELETE requests the server has logged since the last step.
            const QByteArray log = readFile(path("radicale.log"));
            const QByteArray since = log.mid(std::exchange(m_logSeen, log.size()));
            if (m_server.state() == QProcess::Running)
                QCOMPARE(std::make_pair(int(since.count("] PUT request for")),
                                        int(since.count("] DELETE request for"))),
                         std::make_pair(puts, deletes));

            // The password is in the secret store only, and only once the server took it.
            QSettings settings(config("Nudgewell.conf"), QSettings::IniFormat);
            const bool stored = !settings.value("Nudgewell/Publish URL").toString().isEmpty();
            KeychainSecretStore secrets;
            QString answer; // the stored password, or "none"
            secrets.read(SecretStore::keyFor(calendarUrl(), kUser),
                         [&](const QString& password, const QString& error) {
                             answer = error.isEmpty() ? password : QStringLiteral("none");
                         });
            QVERIFY(QTest::qWaitFor([&] { return !answer.isEmpty(); }, 20000));
            QCOMPARE(answer == kPassword, stored);
            QCOMPARE(settings.value("Nudgewell/Publish User").toString(),
                     stored ? kUser : QString());
            for (const QString& file : {config("Nudgewell.conf"), cache})
                QVERIFY(!readFile(file).contains(kPassword.toUtf8()));
            QVERIFY(!err.contains(kPassword));
            if (status == 0 && arguments.contains(u"--publish"))
                QVERIFY(calendarMatches());
            if (arguments.contains(u"--publish-off"))
                QVERIFY(!QFile::exists(cache) && !stored);
        };
        const QStringList setUp{"--publish-to", "%U"}, publish{"--publish"};
        step("http elsewhere", "", {"--publish-to", "http://example.org/cal/"}, 2, "https");
        step("password in the address", "", {"--publish-to", "http://anna:pw@127.0.0.1/cal/"}, 2,
             "must not hold");
        step("untrusted certificate", "",
             {"--publish-to", QStringLiteral("https://127.0.0.1:%1/cal/").arg(m_tlsPort)}, 1,
             "certificate of 127.0.0.1 was refused: ");
        step("wrong password stores nothing", "wrong password", setUp, 1, "authentication failed");
        step("not set up", "", publish, 1, "no calendar");
        step("set up", "", setUp, 0);
        step("first publish", "", publish, 0, "", 6);
        // A purge zeroes the reserved bytes: no change of the reminder.
        step("no change", "reserved", publish, 0);
        step("one changed", "change", publish, 0, "", 1, 1);
        step("one of two alike deleted", "delete", publish, 0, "", 0, 1);
        step("cache lost", "lose cache", publish, 0);
        step("edited in the calendar", "edit on server", publish, 0, "", 1);
        step("server down", "stop server", publish, 1, "cannot reach 127.0.0.1");
        step("off", "start server", {"--publish-off"}, 0);
    }

    // A server that does not answer in time; then, with the same publisher, an event changed
    // on the server before the listing (so ours is put with its new ETag) and again while it
    // lists: the 412 is answered by writing ours once more.
    void timeoutThenConflict() {
        CalendarPublisher publisher;
        QSignalSpy finished(&publisher, &CalendarPublisher::finished);
        QTcpServer silent; // takes the connection and says nothing
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        publisher.setTimeout(1000);
        publisher.check({QUrl(QStringLiteral("http://127.0.0.1:%1/cal/").arg(silent.serverPort())),
                         kUser, kPassword});
        QVERIFY(finished.wait(5000));
        QCOMPARE(finished[0][1].toString(), "no answer from 127.0.0.1 within 1 s");

        publisher.setTimeout(20000);
        const std::vector<CalendarObject> objects = objectsOf(readFile(path("reminder.dat")));
        QByteArray changed = objects[1].data;
        writeFile(onServer(objects[1].uid), changed.replace("SUMMARY:", "SUMMARY:Not "));
        connect(&publisher, &CalendarPublisher::listed, this,
                [&] { writeFile(onServer(objects[1].uid), changed.replace("Not", "Never")); });
        publisher.publish({QUrl(calendarUrl()), kUser, kPassword}, objects, QString());
        QVERIFY(finished.wait(30000));
        QVERIFY2(finished[1][0].toBool(), qPrintable(finished[1][1].toString()));
        QCOMPARE(publisher.counts().conflicts, 1);
        QVERIFY(calendarMatches());
    }
};

QTEST_GUILESS_MAIN(TestPublish)
#include "tst_publish.moc"
