// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QDateTime>
#include <QString>

#include <functional>

namespace nudgewell {

// Sets the computer's clock. The moment is taken as a number, never as text, so the
// regional date order cannot turn it into another day.
class SystemDate {
public:
    virtual ~SystemDate() = default;
    // False with a reason the user can act on when the clock was not changed.
    virtual bool setDateTime(const QDateTime& moment, QString* error) = 0;
};

// systemd's time service (org.freedesktop.timedate1) on the given bus; polkit may ask the user
// for a password.
class TimedateSystemDate final : public SystemDate {
public:
    // The bus is reached only when the date is set.
    explicit TimedateSystemDate(std::function<QDBusConnection()> bus = &QDBusConnection::systemBus);
    bool setDateTime(const QDateTime& moment, QString* error) override;

private:
    std::function<QDBusConnection()> m_bus;
};

} // namespace nudgewell
