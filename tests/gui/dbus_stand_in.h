// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// python3-dbusmock stand-ins on the private session bus CTest runs a suite on
// (dbus-run-session), never the user's own.

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QTest>

namespace nudgewell::test {

// A stand-in service from python3-dbusmock's arguments; ended with this.
struct StandIn {
    explicit StandIn(const QStringList& arguments) {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(NUDGEWELL_PYTHON3, QStringList{"-m", "dbusmock"} + arguments);
    }
    ~StandIn() {
        process.terminate();
        process.waitForFinished(5000);
    }
    static bool cameUp(const QString& service) {
        return QTest::qWaitFor(
            [&] { return QDBusConnection::sessionBus().interface()->isServiceRegistered(service); },
            20000);
    }
    QProcess process;
};

// A call of the stand-in's own interface, which sets it up and tells what it was asked.
inline QDBusMessage mockCall(const QString& service, const QString& path, const QString& method,
                             const QVariantList& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Mock"), method);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call);
}

// The arguments of every call of `method` the stand-in has had.
inline QList<QVariantList> mockedCalls(const QString& service, const QString& path,
                                       const QString& method) {
    const QDBusMessage reply = mockCall(service, path, QStringLiteral("GetMethodCalls"), {method});
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

} // namespace nudgewell::test
