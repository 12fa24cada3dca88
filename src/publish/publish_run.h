// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/date_patterns.h"

#include <QDateTime>
#include <QString>

#include <functional>

namespace nudgewell {

class CalendarPublisher;
class SecretStore;
class SettingsStore;

namespace keys {
inline const QString PublishUrl = QStringLiteral("Publish URL"); // empty: not set up
inline const QString PublishUser = QStringLiteral("Publish User");
} // namespace keys

// The ETag cache, beside the settings file.
QString calendarCacheFile(const SettingsStore& settings);

struct PublishResult {
    bool ok = false;
    QString reason;          // one line when !ok
    int unreadableDates = 0; // reminders left out, as the export leaves them out
};

// One run of the mirror: the password from the secret store, every reminder of
// `reminderFile`, the calendar of the settings. `done` is called once, later, on the event
// loop. The calendar must be set up (keys::PublishUrl not empty).
void publishReminders(CalendarPublisher& publisher, SecretStore& secrets,
                      const SettingsStore& settings, const QString& reminderFile,
                      DateOrder regionalOrder, const QDateTime& stamp,
                      std::function<void(const PublishResult&)> done);

} // namespace nudgewell
