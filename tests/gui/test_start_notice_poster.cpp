// SPDX-License-Identifier: GPL-3.0-or-later
// The notification at start on a private session bus, against a stand-in notification service.
#include "data/startup_log_file.h"
#include "dbus_stand_in.h"
#include "gui_fixture.h"
#include "main/start_notice_poster.h"
#include "platform/notifier.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QDate kToday(2002, 12, 5);

template <typename T> T unwrap(const QVariant& value) {
    if (value.canConvert<QDBusArgument>())
        return qdbus_cast<T>(value.value<QDBusArgument>());
    return value.value<T>();
}

} // namespace

class TestStartNoticePoster : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // Never the user's own bus: CTest runs this under dbus-run-session and says so.
        QVERIFY2(qEnvironmentVariableIsSet("NUDGEWELL_PRIVATE_BUS"), "run it through ctest");
        QVERIFY(QDBusConnection::sessionBus().isConnected());
    }
    void start_data();
    void start();
};

void TestStartNoticePoster::start_data() {
    QTest::addColumn<QStringList>("standIn"); // empty: none on the bus
    QTest::addColumn<QString>("bus");         // empty: the session bus
    QTest::addColumn<QString>("setting");     // of "Notify At Start"
    QTest::addColumn<bool>("minimised");
    QTest::addColumn<QString>("body");    // of the Notify call; empty: none arrives
    QTest::addColumn<QString>("warning"); // the end of the line on standard error
    const QStringList daemon{"--template", "notification_daemon"};
    const QString missed = "\nMissed since Monday 2 December:\nTue 3 December: Dentist";
    const auto row = [](const char* name, const QStringList& standIn, const char* bus,
                        const char* setting, bool minimised, const QString& body,
                        const char* warning) {
        QTest::newRow(name) << standIn << QString(bus) << QString(setting) << minimised << body
                            << QString(warning);
    };
    row("a service that reads markup", daemon, "", "", true, "Tea &amp; cake" + missed, "");
    row("a service of plain text", daemon + QStringList{"-p", R"({"capabilities": "body"})"}, "",
        "", true, "Tea & cake" + missed, "");
    row("turned off", daemon, "", "0", true, "", "");
    row("no notification service", {}, "", "", false, "", "org.freedesktop.Notifications");
    row("no session bus", {}, "unix:path=/nonexistent/bus", "", false, "",
        "session bus cannot be reached");
    row("an error reply", {kService, kPath, kService}, "", "", false, "", "GetCapabilities");
}

void TestStartNoticePoster::start() {
    QFETCH(QStringList, standIn);
    QFETCH(QString, bus);
    QFETCH(QString, setting);
    QFETCH(bool, minimised);
    QFETCH(QString, body);
    QFETCH(QString, warning);
    std::unique_ptr<StandIn> service;
    if (!standIn.isEmpty()) {
        service = std::make_unique<StandIn>(standIn);
        QVERIFY(StandIn::cameUp(kService));
    }
    // Missed reminders are told even to a window on screen.
    WindowFixture f(kToday);
    writeFile(f.path("startup.dat"),
              StartupRecord::build(QDateTime(QDate(2002, 12, 2), QTime(9, 0)),
                                   DateOrder::MonthFirst, f.clock.locale()));
    f.writeReminders({recordBytes("Tea & cake", 'X', 'Y', "12/05/2001"),
                      recordBytes("Dentist", 'X', 'O', "12/03/2002")});
    f.settings.save(keys::Minimize, minimised ? "1" : "0");
    f.settings.save(keys::NotifyAtStart, setting);
    DBusNotifier notifier(bus.isEmpty()
                              ? std::function<QDBusConnection()>(&QDBusConnection::sessionBus)
                              : [bus] { return QDBusConnection::connectToBus(bus, "x"); });
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
    const qint64 took = timer.elapsed();
    QVERIFY(f.started);
    QVERIFY(f.window->isVisible());
    QCOMPARE(f.window->isMinimized(), minimised);
    QVERIFY2(took < 500, qPrintable(QString::number(took)));
    if (!warning.isEmpty()) {
        QTRY_COMPARE(failed.size(), 1);
        QTest::qWait(100);
        QCOMPARE(failed.size(), 1);
        return;
    }
    QList<QVariantList> calls;
    QTRY_COMPARE((calls = mockedCalls(kService, kPath, "Notify")).size(), body.isEmpty() ? 0 : 1);
    if (body.isEmpty()) {
        QTest::qWait(300);
        QCOMPARE(mockedCalls(kService, kPath, "Notify").size(), 0);
        return;
    }
    const QVariantList& a = calls.first();
    QCOMPARE(a.size(), 8);
    QCOMPARE(a[0].toString(), QString("Nudgewell"));
    QCOMPARE(a[2].toString(), QString("nudgewell"));
    QCOMPARE(a[3].toString(), QString("1 reminder today, 1 missed"));
    QCOMPARE(a[4].toString(), body);
    QCOMPARE(unwrap<QStringList>(a[5]).value(0), QString("default"));
    QCOMPARE(unwrap<QVariantMap>(a[6]).value("desktop-entry").toString(), QString("nudgewell"));
    QCOMPARE(failed.size(), 0);

    // The stand-in numbers its notifications from 1; a click on another program's does nothing.
    const auto click = [](uint id) {
        return mockCall(kService, kPath, "EmitSignal",
                        {kService, "ActionInvoked", "us", QVariantList{id, "default"}});
    };
    QCOMPARE(click(7).type(), QDBusMessage::ReplyMessage);
    QTest::qWait(200);
    QVERIFY(f.window->isMinimized());
    click(1);
    QTRY_VERIFY(!f.window->isMinimized());
    QVERIFY(f.window->isVisible());
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
}

QTEST_MAIN(TestStartNoticePoster)
#include "test_start_notice_poster.moc"
