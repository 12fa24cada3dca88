// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <functional>

namespace nudgewell {

// One message on the desktop's notification service, and a click on it.
class Notifier : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    // `markupBody` goes where the service reads markup, `plainBody` elsewhere.
    virtual void notify(const QString& summary, const QString& plainBody,
                        const QString& markupBody) = 0;

signals:
    void activated();
    // Nothing was shown; the reason has gone to standard error as one line.
    void failed(const QString& reason);
};

// The freedesktop notification service on the session bus. Every call is asynchronous, so the
// program never waits on the bus.
class DBusNotifier final : public Notifier {
    Q_OBJECT

public:
    explicit DBusNotifier(std::function<QDBusConnection()> bus = &QDBusConnection::sessionBus,
                          QObject* parent = nullptr);
    void notify(const QString& summary, const QString& plainBody,
                const QString& markupBody) override;

private slots:
    // QtDBus delivers signals only to slots it can name.
    void onActionInvoked(uint id, const QString& action);

private:
    void send(QDBusConnection bus, const QString& summary, const QString& body);
    void fail(const QString& reason);

    std::function<QDBusConnection()> m_bus;
    uint m_id = 0; // of the notification shown; 0 before the service answers
};

} // namespace nudgewell
