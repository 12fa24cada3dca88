// SPDX-License-Identifier: GPL-3.0-or-later
// Setting the computer's date through systemd's time service, against a stand-in of the
// service (python3-dbusmock's timedated template) on a private bus (dbus-run-session).
#include "calendar/calendar_form.h"
#include "gui_fixture.h"
#include "platform/system_date.h"

#include <QCalendarWidget>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <csignal>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

const QString kService = QStringLiteral("org.freedesktop.timedate1");

QDBusMessage mock(const QString& method, const QVariantList& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, "/org/freedesktop/timedate1",
                                                       "org.freedesktop.DBus.Mock", method);
    call.setArguments(arguments);
    return QDBusConnection(QStringLiteral("mock")).call(call);
}

// The SetTime calls the stand-in received, each as "microseconds,relative,interactive".
QStringList setTimeCalls() {
    const auto calls =
        mock("GetMethodCalls", {"SetTime"}).arguments().value(0).value<QDBusArgument>();
    QStringList out;
    calls.beginArray();
    while (!calls.atEnd()) {
        quint64 stamp = 0;
        QVariantList arguments;
        calls.beginStructure();
        calls >> stamp >> arguments;
        calls.endStructure();
        QStringList texts;
        for (const QVariant& argument : arguments)
            texts << argument.toString();
        out << texts.join(',');
    }
    calls.endArray();
    return out;
}

} // namespace

class TestSystemDate : public QObject {
    Q_OBJECT

    QProcess m_bus;
    qint64 m_mockPid = 0;

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable("dbus-run-session").isEmpty())
            QSKIP("dbus-run-session is missing (Debian package dbus-daemon; scripts/setup.sh "
                  "installs it)");
        // Debian's Python, which has dbusmock, before any other on the path.
        const QString python = QFile::exists("/usr/bin/python3")
                                   ? QStringLiteral("/usr/bin/python3")
                                   : QStandardPaths::findExecutable("python3");
        if (QProcess::execute(python, {"-c", "import dbusmock"}) != 0)
            QSKIP("python3 with dbusmock is missing (Debian package python3-dbusmock; "
                  "scripts/setup.sh installs it)");
        qputenv("TZ", "UTC"); // the clock's time of day is local
        m_bus.start("dbus-run-session",
                    {"--", "sh", "-c",
                     "echo $DBUS_SESSION_BUS_ADDRESS $$; exec \"$0\" -m dbusmock --session "
                     "--template timedated",
                     python});
        QVERIFY(m_bus.waitForReadyRead(20000) && m_bus.canReadLine());
        const QStringList line = QString(m_bus.readLine()).split(' ');
        m_mockPid = line.value(1).toLongLong();
        const QDBusConnection bus = QDBusConnection::connectToBus(line.value(0), "mock");
        QTRY_VERIFY_WITH_TIMEOUT(bus.interface()->isServiceRegistered(kService), 20000);
    }
    void cleanupTestCase() {
        QDBusConnection::disconnectFromBus("mock");
        // dbus-run-session ends its bus once the stand-in has gone.
        if (m_mockPid > 0)
            ::kill(pid_t(m_mockPid), SIGTERM);
        QVERIFY(m_bus.waitForFinished(10000));
    }
    void init() {
        // A plain SetTime again, and no calls remembered from before.
        QCOMPARE(mock("AddMethod", {kService, "SetTime", "xbb", "", ""}).type(),
                 QDBusMessage::ReplyMessage);
        QCOMPARE(mock("ClearCalls", {}).type(), QDBusMessage::ReplyMessage);
    }

    void throughTheWindow_data() {
        QTest::addColumn<QString>("refusal"); // "error name|message" the stand-in replies with
        QTest::addColumn<QString>("words");   // the plain words shown before the message
        QTest::newRow("set") << ""
                             << "";
        QTest::newRow("network time on")
            << "org.freedesktop.timedate1.AutomaticTimeSyncEnabled|Automatic time "
               "synchronization is enabled"
            << "The computer sets its clock from the network. Turn off automatic time "
               "synchronisation first (in the system's date and time settings), then change the "
               "date again.";
        QTest::newRow("not permitted")
            << "org.freedesktop.DBus.Error.AccessDenied|Permission denied"
            << "You are not permitted to change the computer's date, or the password was not "
               "given. Ask the computer's administrator.";
        QTest::newRow("no time service")
            << "org.freedesktop.DBus.Error.ServiceUnknown|The name org.freedesktop.timedate1 was "
               "not provided by any .service files"
            << "This computer has no time service (systemd-timedated) through which Nudgewell "
               "could change the date. Change it with the system's own tools.";
        QTest::newRow("other") << "org.freedesktop.DBus.Error.InvalidArgs|Invalid time"
                               << "The system's time service refused to change the date.";
    }
    void throughTheWindow() {
        QFETCH(QString, refusal);
        QFETCH(QString, words);
        const QString message = refusal.section('|', 1);
        if (!refusal.isEmpty()) {
            const QString raise = QString("raise dbus.exceptions.DBusException('%1', name='%2')")
                                      .arg(message, refusal.section('|', 0, 0));
            QCOMPARE(mock("AddMethod", {kService, "SetTime", "xbb", "", raise}).type(),
                     QDBusMessage::ReplyMessage);
        }
        WindowFixture f(QDate(2002, 3, 20)); // its fakes, not its main window; answers Yes
        TimedateSystemDate systemDate([] { return QDBusConnection("mock"); });
        CalendarForm form(Services{f.clock, f.settings, f.messages, f.help, f.files, f.printer,
                                   f.clipboard, systemDate, f.dir.path()},
                          nullptr);
        auto* calendar = form.findChild<QCalendarWidget*>("Calendar1");
        calendar->setSelectedDate(QDate(2002, 3, 4));
        form.menuchange_Click();
        // The picked date with the clock's time of day, in microseconds since 1970 (UTC).
        QCOMPARE(setTimeCalls(), QStringList{"1015237815000000,false,true"});
        QCOMPARE(f.messages.shown.value(1),
                 words.isEmpty() ? QString()
                                 : "Nudgewell: The computer's date was not changed.\n" + words +
                                       "\n\nThe time service said: " + message);
        // Only a date that was set moves the picker to (the new) today.
        QCOMPARE(calendar->selectedDate(), QDate(2002, 3, words.isEmpty() ? 20 : 4));
    }

    void unreachableBus() {
        TimedateSystemDate systemDate(
            [] { return QDBusConnection::connectToBus("unix:path=/nonexistent/bus", "none"); });
        QString error;
        QVERIFY(!systemDate.setDateTime(QDateTime(QDate(2002, 3, 4), QTime(10, 0)), &error));
        QCOMPARE(error, "The system's message bus cannot be reached, so the system's time "
                        "service cannot change the date.\n\nThe system said: Failed to connect to "
                        "socket /nonexistent/bus: No such file or directory");
    }
};

QTEST_MAIN(TestSystemDate)
#include "test_system_date.moc"
