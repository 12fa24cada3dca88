// SPDX-License-Identifier: GPL-3.0-or-later
// Setting the computer's date through systemd's time service, against a stand-in of the
// service (python3-dbusmock's timedated template) on a private session bus.
#include "calendar/calendar_form.h"
#include "data/settings.h"
#include "fake_services.h"
#include "fakes.h"
#include "platform/system_date.h"

#include <QCalendarWidget>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

const QString kService = QStringLiteral("org.freedesktop.timedate1");
const QString kPath = QStringLiteral("/org/freedesktop/timedate1");
const QString kMock = QStringLiteral("org.freedesktop.DBus.Mock");

// A bus of its own (dbus-run-session) running one command; ended with the test.
class PrivateBus {
public:
    ~PrivateBus() { stop(); }
    // `command` runs under sh on the new bus; false when the bus did not come up.
    bool start(const QString& name, const QString& command) {
        m_name = name;
        m_process.start(
            QStringLiteral("dbus-run-session"),
            {"--", "sh", "-c", "echo \"$DBUS_SESSION_BUS_ADDRESS\"; echo $$; exec " + command});
        if (!m_process.waitForStarted(10000))
            return false;
        while (m_process.bytesAvailable() == 0 || !QString(m_process.peek(4096)).contains('\n') ||
               QString(m_process.peek(4096)).count('\n') < 2) {
            if (!m_process.waitForReadyRead(10000))
                return false;
        }
        const QString address = QString::fromUtf8(m_process.readLine()).trimmed();
        m_child = QString::fromUtf8(m_process.readLine()).trimmed().toLongLong();
        return QDBusConnection::connectToBus(address, name).isConnected();
    }
    QDBusConnection connection() const { return QDBusConnection(m_name); }
    void stop() {
        if (m_process.state() == QProcess::NotRunning)
            return;
        QDBusConnection::disconnectFromBus(m_name);
        // Ending the command ends dbus-run-session, which takes its bus daemon with it.
        if (m_child > 0)
            ::kill(pid_t(m_child), SIGTERM);
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

private:
    QProcess m_process;
    QString m_name;
    qint64 m_child = 0;
};

// The Python that has dbusmock: Debian's own before any other on the path.
QString pythonWithDbusmock() {
    QStringList candidates = {QStringLiteral("/usr/bin/python3")};
    candidates << QStandardPaths::findExecutable(QStringLiteral("python3"));
    for (const QString& python : candidates) {
        if (python.isEmpty() || !QFile::exists(python))
            continue;
        QProcess probe;
        probe.start(python, {"-c", "import dbusmock"});
        if (probe.waitForFinished(20000) && probe.exitStatus() == QProcess::NormalExit &&
            probe.exitCode() == 0)
            return python;
    }
    return {};
}

QDBusMessage mockCall(const QDBusConnection& bus, const QString& method,
                      const QVariantList& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kMock, method);
    call.setArguments(arguments);
    return bus.call(call);
}

// The SetTime calls the stand-in received, each as "microseconds,relative,interactive".
QStringList setTimeCalls(const QDBusConnection& bus) {
    const QDBusMessage reply = mockCall(bus, "GetMethodCalls", {QStringLiteral("SetTime")});
    QStringList calls;
    if (reply.type() != QDBusMessage::ReplyMessage)
        return {"error: " + reply.errorMessage()};
    const auto list = reply.arguments().value(0).value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        quint64 stamp = 0;
        QVariantList arguments;
        list.beginStructure();
        list >> stamp >> arguments;
        list.endStructure();
        QStringList texts;
        for (QVariant argument : arguments) {
            if (argument.canConvert<QDBusVariant>())
                argument = argument.value<QDBusVariant>().variant();
            texts << argument.toString();
        }
        calls << texts.join(',');
    }
    list.endArray();
    return calls;
}

} // namespace

class TestSystemDate : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void microseconds_data();
    void microseconds();
    void throughTheWindow_data();
    void throughTheWindow();

private:
    PrivateBus m_timedated;
    PrivateBus m_empty; // a bus without any time service
};

void TestSystemDate::initTestCase() {
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-run-session")).isEmpty())
        QSKIP("dbus-run-session is missing (Debian package dbus-daemon; scripts/setup.sh "
              "installs it)");
    const QString python = pythonWithDbusmock();
    if (python.isEmpty())
        QSKIP("python3 with dbusmock is missing (Debian package python3-dbusmock; "
              "scripts/setup.sh installs it)");
    // The picked date and the clock's time of day are local; pin the zone.
    qputenv("TZ", "UTC");
    QVERIFY(m_timedated.start("timedated", python + " -m dbusmock --session --template timedated"));
    QVERIFY(m_empty.start("empty", "sleep 600"));
    const QDBusConnection bus = m_timedated.connection();
    QTRY_VERIFY_WITH_TIMEOUT(bus.interface()->isServiceRegistered(kService), 20000);
}

void TestSystemDate::init() {
    const QDBusConnection bus = m_timedated.connection();
    // A plain SetTime again, and no calls remembered from the test before.
    QCOMPARE(mockCall(bus, "AddMethod", {kService, "SetTime", "xbb", "", ""}).type(),
             QDBusMessage::ReplyMessage);
    QCOMPARE(mockCall(bus, "ClearCalls", {}).type(), QDBusMessage::ReplyMessage);
}

void TestSystemDate::microseconds_data() {
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<QString>("call");
    QTest::newRow("milliseconds kept")
        << QDateTime(QDate(2002, 3, 4), QTime(10, 30, 15, 250), Qt::UTC)
        << "1015237815250000,false,true";
    QTest::newRow("nine hours east of UTC")
        << QDateTime(QDate(2002, 3, 4), QTime(10, 30, 15), Qt::OffsetFromUTC, 9 * 3600)
        << "1015205415000000,false,true";
    QTest::newRow("before 1970") << QDateTime(QDate(1969, 7, 20), QTime(20, 17, 40), Qt::UTC)
                                 << "-14182940000000,false,true";
    QTest::newRow("last day the calendar offers")
        << QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59), Qt::UTC)
        << "253402300799000000,false,true";
}

void TestSystemDate::microseconds() {
    QFETCH(QDateTime, moment);
    QFETCH(QString, call);
    TimedateSystemDate systemDate([this] { return m_timedated.connection(); });
    QString error;
    QVERIFY2(systemDate.setDateTime(moment, &error), qPrintable(error));
    QCOMPARE(setTimeCalls(m_timedated.connection()), QStringList{call});
}

void TestSystemDate::throughTheWindow_data() {
    QTest::addColumn<QString>("bus");     // "timedated", "empty" or "none"
    QTest::addColumn<QString>("refusal"); // "error name|message" the stand-in replies with
    QTest::addColumn<QString>("shown");   // "-" for no message box
    QTest::newRow("set") << "timedated"
                         << ""
                         << "-";
    const QString head = "Nudgewell: The computer's date was not changed.\n";
    QTest::newRow("network time on")
        << "timedated"
        << "org.freedesktop.timedate1.AutomaticTimeSyncEnabled|Automatic time synchronization is "
           "enabled"
        << head + "The computer sets its clock from the network. Turn off automatic time "
                  "synchronisation first (in the system's date and time settings), then change the "
                  "date again.\n\nThe time service said: Automatic time synchronization is enabled";
    QTest::newRow("not permitted")
        << "timedated"
        << "org.freedesktop.DBus.Error.AccessDenied|Permission denied"
        << head + "You are not permitted to change the computer's date, or the password was not "
                  "given. Ask the computer's administrator.\n\nThe time service said: Permission "
                  "denied";
    QTest::newRow("other refusal")
        << "timedated"
        << "org.freedesktop.DBus.Error.InvalidArgs|Invalid time"
        << head + "The system's time service refused to change the date.\n\nThe time service said: "
                  "Invalid time";
    QTest::newRow("no time service")
        << "empty"
        << ""
        << head +
               "This computer has no time service (systemd-timedated) through which Nudgewell "
               "could change the date. Change it with the system's own tools.\n\nThe time "
               "service said: The name org.freedesktop.timedate1 was not provided by any .service "
               "files";
    QTest::newRow("no bus") << "none"
                            << ""
                            << head + "The system's message bus cannot be reached, so the "
                                      "system's time service cannot change the date.\n\nThe "
                                      "system said: Failed to connect to socket /nonexistent/bus: "
                                      "No such file or directory";
}

void TestSystemDate::throughTheWindow() {
    QFETCH(QString, bus);
    QFETCH(QString, refusal);
    QFETCH(QString, shown);
    if (!refusal.isEmpty()) {
        const QString code = QString("raise dbus.exceptions.DBusException('%1', name='%2')")
                                 .arg(refusal.section('|', 1), refusal.section('|', 0, 0));
        QCOMPARE(
            mockCall(m_timedated.connection(), "AddMethod", {kService, "SetTime", "xbb", "", code})
                .type(),
            QDBusMessage::ReplyMessage);
    }
    QTemporaryDir dir;
    FakeClock clock(QDateTime(QDate(2002, 3, 20), QTime(10, 30, 15)),
                    QLocale(QLocale::English, QLocale::UnitedStates));
    SettingsStore settings(dir.filePath("settings.ini"));
    FakeMessageBoxes messages;
    FakeHelp help;
    FailingFileSystem files;
    FakePrinter printer;
    FakeClipboard clipboard;
    TimedateSystemDate systemDate([this, bus] {
        return bus == "timedated" ? m_timedated.connection()
               : bus == "empty"   ? m_empty.connection()
                                  : QDBusConnection::connectToBus(
                                        QStringLiteral("unix:path=/nonexistent/bus"), "none");
    });
    CalendarForm form(Services{clock, settings, messages, help, files, printer, clipboard,
                               systemDate, dir.path()},
                      nullptr);
    auto* calendar = form.findChild<QCalendarWidget*>("Calendar1");
    calendar->setSelectedDate(QDate(2002, 3, 4));
    form.menuchange_Click(); // answered Yes
    QCOMPARE(messages.shown.value(1, "-"), shown);
    // The picked date with the clock's time of day, in microseconds since 1970 (UTC).
    QCOMPARE(setTimeCalls(m_timedated.connection()),
             bus == "timedated" ? QStringList{"1015237815000000,false,true"} : QStringList());
    // Only a date that was set makes the picker go to (the new) today.
    QCOMPARE(calendar->selectedDate(), shown == "-" ? QDate(2002, 3, 20) : QDate(2002, 3, 4));
}

QTEST_MAIN(TestSystemDate)
#include "test_system_date.moc"
