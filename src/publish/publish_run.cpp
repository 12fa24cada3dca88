// SPDX-License-Identifier: GPL-3.0-or-later
#include "publish/publish_run.h"

#include "data/reminder_reader.h"
#include "data/settings.h"
#include "publish/publisher.h"
#include "publish/secret_store.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>

namespace nudgewell {

QString calendarCacheFile(const SettingsStore& settings) {
    return QFileInfo(settings.fileName()).dir().filePath(QStringLiteral("Nudgewell-calendar.json"));
}

void publishReminders(CalendarPublisher& publisher, SecretStore& secrets,
                      const SettingsStore& settings, const QString& reminderFile,
                      DateOrder regionalOrder, const QDateTime& stamp,
                      std::function<void(const PublishResult&)> done) {
    const QString url = settings.get(keys::PublishUrl);
    const QString user = settings.get(keys::PublishUser);
    const QString cache = calendarCacheFile(settings);
    QPointer<CalendarPublisher> guard(&publisher);
    secrets.read(
        SecretStore::keyFor(url, user),
        [=, done = std::move(done)](const QString& password, const QString& error) {
            if (!guard)
                return;
            if (!error.isEmpty()) {
                done({false, error, 0});
                return;
            }
            // Read at the run, so that every change before it is in.
            ReminderFileReader file;
            QString reason;
            if (!file.open(reminderFile, &reason)) {
                done({false, QObject::tr("cannot read %1: %2").arg(reminderFile, reason), 0});
                return;
            }
            ICalendarCounts counts;
            std::vector<CalendarObject> objects =
                calendarObjects(file.records(), regionalOrder, stamp, &counts);
            QObject::connect(
                guard.data(), &CalendarPublisher::finished, guard.data(),
                [done, counts](bool ok, const QString& why) {
                    done({ok, why, counts.unreadableDates + counts.unknownFrequencies});
                },
                Qt::SingleShotConnection);
            guard->publish({QUrl(url), user, password}, std::move(objects), cache);
        });
}

} // namespace nudgewell
