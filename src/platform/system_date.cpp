// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/system_date.h"

#include <QDBusMessage>

namespace nudgewell {

TimedateSystemDate::TimedateSystemDate(std::function<QDBusConnection()> bus)
    : m_bus(std::move(bus)) {}

bool TimedateSystemDate::setDateTime(const QDateTime& moment, QString* error) {
    QDBusConnection bus = m_bus();
    if (!bus.isConnected()) {
        if (error)
            *error = QObject::tr("The system's time service cannot be reached.");
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("/org/freedesktop/timedate1"),
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("SetTime"));
    // Microseconds since the epoch, absolute (not relative), interactive so that polkit may ask.
    call << qint64(moment.toMSecsSinceEpoch()) * 1000 << false << true;
    // polkit may wait for the user to type a password: no short timeout.
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5 * 60 * 1000);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        if (error)
            *error = reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
        return false;
    }
    return true;
}

} // namespace nudgewell
