// SPDX-License-Identifier: GPL-3.0-or-later
#include "publish/background_publisher.h"

#include "data/settings.h"
#include "platform/clock.h"
#include "platform/notifier.h"

#include <cstdio>

namespace nudgewell {

BackgroundPublisher::BackgroundPublisher(const SettingsStore& settings, SecretStore& secrets,
                                         Notifier& notifier, const Clock& clock,
                                         QString reminderFile, QObject* parent)
    : QObject(parent), m_settings(settings), m_secrets(secrets), m_notifier(notifier),
      m_clock(clock), m_reminderFile(std::move(reminderFile)) {
    m_retry.setSingleShot(true);
    m_retry.setInterval(30000);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        m_retried = true;
        run();
    });
}

void BackgroundPublisher::request() {
    if (m_settings.get(keys::PublishUrl).isEmpty())
        return;
    m_retry.stop(); // a change is a fresh attempt, not a retry
    m_retried = false;
    if (m_running)
        m_again = true;
    else
        run();
}

void BackgroundPublisher::run() {
    m_running = true;
    m_again = false;
    publishReminders(m_publisher, m_secrets, m_settings, m_reminderFile,
                     regionalDateOrder(m_clock.locale()), m_clock.now(),
                     [this](const PublishResult& result) { onFinished(result); });
}

void BackgroundPublisher::onFinished(const PublishResult& result) {
    m_running = false;
    if (!result.ok) {
        const QString text = tr("The calendar could not be updated: %1").arg(result.reason);
        std::fprintf(stderr, "nudgewell: %s\n", qPrintable(text));
        if (!m_notified) {
            m_notified = true;
            m_notifier.notify(text, {}, {});
        }
    }
    emit runFinished(result.ok, result.reason);
    if (m_again)
        run();
    else if (!result.ok && !m_retried)
        m_retry.start();
}

} // namespace nudgewell
