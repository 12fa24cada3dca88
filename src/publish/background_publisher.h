// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "publish/publish_run.h"
#include "publish/publisher.h"

#include <QObject>
#include <QTimer>

namespace nudgewell {

class Clock;
class Notifier;

// The window's mirror: a run at start and after every change written, never more than one at
// a time; a change during a run asks for one more. A failed run is retried once, after 30 s.
// A failure goes to standard error, and the first of the session also to the desktop's
// notifications; nothing ever waits on the network.
class BackgroundPublisher : public QObject {
    Q_OBJECT

public:
    BackgroundPublisher(const SettingsStore& settings, SecretStore& secrets, Notifier& notifier,
                        const Clock& clock, QString reminderFile, QObject* parent = nullptr);

    void setRetryDelay(int milliseconds) { m_retry.setInterval(milliseconds); }
    CalendarPublisher& publisher() { return m_publisher; }

public slots:
    // Does nothing unless publishing is set up.
    void request();

signals:
    void runFinished(bool ok, const QString& reason);

private:
    void run();
    void onFinished(const PublishResult& result);

    const SettingsStore& m_settings;
    SecretStore& m_secrets;
    Notifier& m_notifier;
    const Clock& m_clock;
    QString m_reminderFile;
    CalendarPublisher m_publisher;
    QTimer m_retry;
    bool m_running = false;
    bool m_again = false;
    bool m_retried = false;
    bool m_notified = false;
};

} // namespace nudgewell
