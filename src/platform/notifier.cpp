// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDebug>
#include <QVariantMap>

namespace nudgewell {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kDefaultAction = QStringLiteral("default");
// Only how long an unanswered call is kept; nothing waits for it.
constexpr int kTimeoutMs = 5000;

QString reasonOf(const QDBusError& error) {
    return error.message().isEmpty() ? error.name() : error.message();
}

} // namespace

DBusNotifier::DBusNotifier(std::function<QDBusConnection()> bus, QObject* parent)
    : Notifier(parent), m_bus(std::move(bus)) {}

void DBusNotifier::notify(const QString& summary, const QString& plainBody,
                          const QString& markupBody) {
    QDBusConnection bus = m_bus();
    if (!bus.isConnected()) {
        fail(tr("the session bus cannot be reached: %1").arg(reasonOf(bus.lastError())));
        return;
    }
    bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(onActionInvoked(uint, QString)));
    // A service without markup would show "&amp;" as it stands.
    const QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                             QStringLiteral("GetCapabilities"));
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, bus, summary, plainBody, markupBody](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                const QDBusPendingReply<QStringList> reply = *w;
                if (reply.isError()) {
                    fail(reasonOf(reply.error()));
                    return;
                }
                const bool markup = reply.value().contains(QStringLiteral("body-markup"));
                send(bus, summary, markup ? markupBody : plainBody);
            });
}

void DBusNotifier::send(QDBusConnection bus, const QString& summary, const QString& body) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    // The icon and the desktop entry let the desktop show and group it as the program's own.
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("nudgewell")}};
    call << QStringLiteral("Nudgewell") << uint(0) << QStringLiteral("nudgewell") << summary << body
         << QStringList{kDefaultAction, tr("Show Nudgewell")} << hints << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isError())
            fail(reasonOf(reply.error()));
        else
            m_id = reply.value();
    });
}

void DBusNotifier::onActionInvoked(uint id, const QString& action) {
    // The signal goes to every client of the service: only our own notification counts.
    if (m_id != 0 && id == m_id && action == kDefaultAction)
        emit activated();
}

void DBusNotifier::fail(const QString& reason) {
    qWarning().noquote()
        << QStringLiteral("nudgewell: no notification at start: %1").arg(reason.simplified());
    emit failed(reason);
}

} // namespace nudgewell
