// SPDX-License-Identifier: GPL-3.0-or-later
// Setting the computer's date through systemd's time service, against a stand-in of the
// service (python3-dbusmock's timedated template).
#include "calendar/calendar_form.h"
#include "dbus_stand_in.h"
#include "gui_fixture.h"
#include "platform/system_date.h"

#include <QCalendarWidget>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

const QString kService = QStringLiteral("org.freedesktop.timedate1");
const QString kPath = QStringLiteral("/org/freedesktop/timedate1");

} // namespace

class TestSystemDate : public QObject {
    Q_OBJECT

    std::unique_ptr<StandIn> m_standIn;

private slots:
    void initTestCase() {
        QVERIFY2(qEnvironmentVariableIsSet("NUDGEWELL_PRIVATE_BUS"), "run it through ctest");
        qputenv("TZ", "UTC"); // the clock's time of day is local
        m_standIn = std::make_unique<StandIn>(QStringList{"--session", "--template", "timedated"});
        QVERIFY(StandIn::cameUp(kService));
    }
    void init() {
        // A plain SetTime again, and no calls remembered from before.
        QCOMPARE(
            mockCall(kService, kPath, "AddMethod", {kService, "SetTime", "xbb", "", ""}).type(),
            QDBusMessage::ReplyMessage);
        QCOMPARE(mockCall(kService, kPath, "ClearCalls", {}).type(), QDBusMessage::ReplyMessage);
    }

    void throughTheWindow_data() {
        QTest::addColumn<QString>("refusal"); // "error name|message" the stand-in replies with
        QTest::addColumn<QString>("words");   // the plain words shown before the message
        QTest::newRow("set") << QString() << QString();
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
            QCOMPARE(mockCall(kService, kPath, "AddMethod", {kService, "SetTime", "xbb", "", raise})
                         .type(),
                     QDBusMessage::ReplyMessage);
        }
        WindowFixture f(QDate(2002, 3, 20)); // its fakes, not its main window; answers Yes
        TimedateSystemDate systemDate(&QDBusConnection::sessionBus);
        CalendarForm form(f.services(nullptr, &systemDate), nullptr);
        auto* calendar = form.findChild<QCalendarWidget*>("Calendar1");
        calendar->setSelectedDate(QDate(2002, 3, 4));
        form.menuchange_Click();
        // The picked date with the clock's time of day, in microseconds since 1970 (UTC).
        const QList<QVariantList> calls = mockedCalls(kService, kPath, "SetTime");
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0], QVariantList({qlonglong(1015237815000000), false, true}));
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
