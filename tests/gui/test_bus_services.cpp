// SPDX-License-Identifier: GPL-3.0-or-later
// The notification at start and setting the computer's date, against python3-dbusmock
// stand-ins of their services on the private session bus CTest runs the suite on
// (dbus-run-session), never the user's own.
#include "data/startup_log_file.h"
#include "gui_fixture.h"
#include "main/start_notice_poster.h"
#include "platform/notifier.h"
#include "platform/system_date.h"
#include "rows.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");
const QString kTimedate = QStringLiteral("org.freedesktop.timedate1");
const QString kNoBus = QStringLiteral("unix:path=/nonexistent/bus");

// A stand-in service from python3-dbusmock's arguments, up on the bus; ended with this.
struct StandIn {
    StandIn(const QStringList& arguments, const QString& service) {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(NUDGEWELL_PYTHON3, QStringList{"-m", "dbusmock"} + arguments);
        up = QTest::qWaitFor(
            [&] { return QDBusConnection::sessionBus().interface()->isServiceRegistered(service); },
            20000);
    }
    ~StandIn() {
        process.terminate();
        process.waitForFinished(5000);
    }
    QProcess process;
    bool up = false;
};

// A call of the stand-in's own interface, which sets it up and tells what it was asked; its
// object path is the service's name.
QDBusMessage mockCall(const QString& service, const QString& method,
                      const QVariantList& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        service, "/" + QString(service).replace('.', '/'), "org.freedesktop.DBus.Mock", method);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call);
}

// The arguments of every call of `method` the stand-in has had.
QList<QVariantList> mockedCalls(const QString& service, const QString& method) {
    const QDBusMessage reply = mockCall(service, "GetMethodCalls", {method});
    QList<QVariantList> calls;
    if (reply.type() != QDBusMessage::ReplyMessage)
        return calls;
    const QDBusArgument list = reply.arguments().at(0).value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        qulonglong when = 0;
        QVariantList arguments;
        list.beginStructure();
        list >> when >> arguments;
        list.endStructure();
        calls << arguments;
    }
    list.endArray();
    return calls;
}

} // namespace

class TestBusServices : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY2(qEnvironmentVariableIsSet("NUDGEWELL_PRIVATE_BUS"), "run it through ctest");
    }

    // Each row on its own; the first failure ends them and names its row. standIn: python3 -m
    // dbusmock's arguments, none for no service, "no bus" for no session bus; setting: of
    // "Notify At Start"; body: of the Notify call, empty when none arrives; warning: the end
    // of the line on standard error.
    void startNotice() {
        const QStringList daemon{"--template", "notification_daemon"};
        const QString missed = "\nMissed since Monday 2 December:\nTue 3 December: Dentist";
        const auto row = [&](const char* name, const QStringList& standIn, const char* setting,
                             const QString& body, const QString& warning) {
            if (QTest::currentTestFailed())
                return;
            const auto named = nameFailures(name);
            const bool noBus = standIn == QStringList{"no bus"};
            std::unique_ptr<StandIn> service;
            if (!standIn.isEmpty() && !noBus) {
                service = std::make_unique<StandIn>(standIn, kNotifications);
                QVERIFY(service->up);
            }
            // The window starts minimised; the poster reads the previous start from the log.
            WindowFixture f(QDate(2002, 12, 5));
            writeFile(f.path("startup.dat"),
                      StartupRecord::build(QDateTime(QDate(2002, 12, 2), QTime(9, 0)),
                                           DateOrder::MonthFirst, f.clock.locale()));
            f.writeReminders({recordBytes("Tea & cake", 'X', 'Y', "12/05/2001"),
                              recordBytes("Dentist", 'X', 'O', "12/03/2002")});
            f.settings.save(keys::Minimize, "1");
            f.settings.save(keys::NotifyAtStart, setting);
            DBusNotifier notifier([noBus] {
                return noBus ? QDBusConnection::connectToBus(kNoBus, "x")
                             : QDBusConnection::sessionBus();
            });
            QSignalSpy failed(&notifier, &Notifier::failed);
            if (!warning.isEmpty())
                QTest::ignoreMessage(QtWarningMsg,
                                     QRegularExpression("^nudgewell: no notification at start: .*" +
                                                        QRegularExpression::escape(warning)));
            // Start-up as the program runs it, and the time the notification took.
            StartNoticePoster poster(f.services(), notifier);
            f.start();
            QElapsedTimer timer;
            timer.start();
            poster.post(f.window.get());
            QVERIFY2(timer.elapsed() < 500, qPrintable(QString::number(timer.elapsed())));
            QVERIFY(f.started && f.window->isMinimized());
            QList<QVariantList> calls;
            const auto notified = [&] {
                return (calls = mockedCalls(kNotifications, "Notify")).size();
            };
            if (body.isEmpty()) { // one failure said, and nothing shown
                QTRY_COMPARE(failed.size(), warning.isEmpty() ? 0 : 1);
                QTest::qWait(300);
                QCOMPARE(failed.size(), warning.isEmpty() ? 0 : 1);
                QCOMPARE(notified(), 0);
                return;
            }
            QTRY_COMPARE(notified(), 1);
            const QVariantList& a = calls.first();
            QCOMPARE(a.size(), 8);
            QCOMPARE(QStringList({a[0].toString(), a[2].toString(), a[3].toString(),
                                  a[4].toString(), qdbus_cast<QStringList>(a[5]).value(0),
                                  qdbus_cast<QVariantMap>(a[6]).value("desktop-entry").toString()}),
                     QStringList({"Nudgewell", "nudgewell", "1 reminder today, 1 missed", body,
                                  "default", "nudgewell"}));
            QCOMPARE(failed.size(), 0);

            // The stand-in numbers its notifications from 1; a click on another program's does
            // nothing.
            const auto click = [](uint id) {
                return mockCall(
                    kNotifications, "EmitSignal",
                    {kNotifications, "ActionInvoked", "us", QVariantList{id, "default"}});
            };
            QCOMPARE(click(7).type(), QDBusMessage::ReplyMessage);
            QTest::qWait(200);
            QVERIFY(f.window->isMinimized());
            click(1);
            QTRY_VERIFY(!f.window->isMinimized());
            QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        };
        row("a service that reads markup", daemon, "", "Tea &amp; cake" + missed, "");
        row("a service of plain text", daemon + QStringList{"-p", R"({"capabilities": "body"})"},
            "", "Tea & cake" + missed, "");
        row("turned off", daemon, "0", "", "");
        // An error reply, as the bus gives it when there is no service.
        row("no notification service", {}, "", "", "org.freedesktop.Notifications");
        row("no session bus", {"no bus"}, "", "", "session bus cannot be reached");
    }

    // A date and time set through systemd's time service; each refusal in plain words before
    // what the service said. (The calendar's table covers the window's side with a fake.)
    void systemDate_data() {
        QTest::addColumn<QString>("refusal"); // "error name|message" the stand-in replies with
        QTest::addColumn<QString>("error");
        const QString said = "\n\nThe time service said: ";
        const auto row = [&](const char* name, const QString& refusal, const QString& words) {
            QTest::newRow(name) << refusal
                                << (words.isEmpty() ? words
                                                    : words + said + refusal.section('|', 1));
        };
        row("set", "", "");
        row("network time on",
            "org.freedesktop.timedate1.AutomaticTimeSyncEnabled|Automatic time synchronization is "
            "enabled",
            "The computer sets its clock from the network. Turn off automatic time "
            "synchronisation first (in the system's date and time settings), then change the "
            "date again.");
        row("not permitted", "org.freedesktop.DBus.Error.AccessDenied|Permission denied",
            "You are not permitted to change the computer's date, or the password was not "
            "given. Ask the computer's administrator.");
        row("no time service",
            "org.freedesktop.DBus.Error.ServiceUnknown|The name org.freedesktop.timedate1 was not "
            "provided by any .service files",
            "This computer has no time service (systemd-timedated) through which Nudgewell "
            "could change the date. Change it with the system's own tools.");
        row("other", "org.freedesktop.DBus.Error.InvalidArgs|Invalid time",
            "The system's time service refused to change the date.");
        QTest::newRow("no bus") << "no bus"
                                << "The system's message bus cannot be reached, so the system's "
                                   "time service cannot change the date.\n\nThe system said: "
                                   "Failed to connect to socket /nonexistent/bus: No such file "
                                   "or directory";
    }
    void systemDate() {
        QFETCH(QString, refusal);
        qputenv("TZ", "UTC"); // the clock's time of day is local
        StandIn service({"--session", "--template", "timedated"}, kTimedate);
        QVERIFY(service.up);
        const QString raise = QString("raise dbus.exceptions.DBusException('%1', name='%2')")
                                  .arg(refusal.section('|', 1), refusal.section('|', 0, 0));
        QCOMPARE(mockCall(kTimedate, "AddMethod",
                          {kTimedate, "SetTime", "xbb", "", refusal.isEmpty() ? "" : raise})
                     .type(),
                 QDBusMessage::ReplyMessage);
        TimedateSystemDate systemDate([&] {
            return refusal == "no bus" ? QDBusConnection::connectToBus(kNoBus, "none")
                                       : QDBusConnection::sessionBus();
        });
        QString said;
        const bool set =
            systemDate.setDateTime(QDateTime(QDate(2002, 3, 4), QTime(10, 30, 15)), &said);
        QCOMPARE(set, said.isEmpty());
        QTEST(said, "error");
        // In microseconds since 1970 (UTC), not relative, asking for authorisation.
        const QVariantList asked = {qlonglong(1015237815000000), false, true};
        QCOMPARE(mockedCalls(kTimedate, "SetTime"),
                 QList<QVariantList>(refusal == "no bus" ? 0 : 1, asked));
    }
};

QTEST_MAIN(TestBusServices)
#include "test_bus_services.moc"
