// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/system_date.h"

#include <QCoreApplication>
#include <QDBusError>
#include <QDBusMessage>

namespace nudgewell {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("nudgewell::TimedateSystemDate", text);
}

// What the user can do about a refusal, in plain words, from the D-Bus error name.
QString explain(const QString& errorName) {
    if (errorName == QLatin1String("org.freedesktop.timedate1.AutomaticTimeSyncEnabled"))
        return tr("The computer sets its clock from the network. Turn off automatic time "
                  "synchronisation first (in the system's date and time settings), then change "
                  "the date again.");
    if (errorName == QLatin1String("org.freedesktop.DBus.Error.AccessDenied") ||
        errorName == QLatin1String("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired") ||
        errorName.startsWith(QLatin1String("org.freedesktop.PolicyKit1.Error.")))
        return tr("You are not permitted to change the computer's date, or the password was not "
                  "given. Ask the computer's administrator.");
    if (errorName == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
        errorName == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner") ||
        errorName.startsWith(QLatin1String("org.freedesktop.DBus.Error.Spawn")))
        return tr("This computer has no time service (systemd-timedated) through which "
                  "Nudgewell could change the date. Change it with the system's own tools.");
    if (errorName == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
        errorName == QLatin1String("org.freedesktop.DBus.Error.Timeout"))
        return tr("The system's time service did not answer.");
    return tr("The system's time service refused to change the date.");
}

// The plain words first, then the reason as the bus or the service gave it.
QString withReason(const QString& plain, const QString& said) {
    return said.isEmpty() ? plain : plain + QStringLiteral("\n\n") + said;
}

} // namespace

TimedateSystemDate::TimedateSystemDate(std::function<QDBusConnection()> bus)
    : m_bus(std::move(bus)) {}

bool TimedateSystemDate::setDateTime(const QDateTime& moment, QString* error) {
    QDBusConnection bus = m_bus();
    if (!bus.isConnected()) {
        if (error)
            *error = withReason(tr("The system's message bus cannot be reached, so the system's "
                                   "time service cannot change the date."),
                                tr("The system said: %1").arg(bus.lastError().message()));
        return false;
    }
    if (!moment.isValid()) {
        if (error)
            *error = tr("The date is not a valid moment in this time zone.");
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("/org/freedesktop/timedate1"),
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("SetTime"));
    // Microseconds since the epoch, absolute (not relative), interactive so that polkit may ask.
    call << qint64(moment.toMSecsSinceEpoch()) * 1000 << false << true;
    call.setInteractiveAuthorizationAllowed(true);
    // polkit may wait for the user to type a password: no short timeout.
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5 * 60 * 1000);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        if (error)
            *error = withReason(explain(reply.errorName()),
                                tr("The time service said: %1")
                                    .arg(reply.errorMessage().isEmpty() ? reply.errorName()
                                                                        : reply.errorMessage()));
        return false;
    }
    return true;
}

} // namespace nudgewell
