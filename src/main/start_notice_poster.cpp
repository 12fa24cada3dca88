// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/start_notice_poster.h"

#include "data/reminder_reader.h"
#include "data/settings.h"
#include "data/start_notice.h"
#include "data/startup_log_file.h"
#include "platform/clock.h"
#include "platform/notifier.h"
#include "ui/bring_to_front.h"

#include <QDebug>
#include <QDir>
#include <QWidget>

namespace nudgewell {

namespace {

DateOrder calendarOrder(const Services& services) {
    return DateOrderFromSetting(services.settings.get(keys::CalendarFormat),
                                services.clock.locale());
}

// The notification is a courtesy: what keeps it from being shown goes to standard error, and
// start-up goes on.
void warn(const QString& reason) {
    qWarning().noquote()
        << QStringLiteral("nudgewell: no notification at start: %1").arg(reason.simplified());
}

} // namespace

StartNoticePoster::StartNoticePoster(const Services& services, Notifier& notifier, QObject* parent)
    : QObject(parent), m_services(services), m_notifier(notifier) {
    m_enabled = m_services.settings.get(keys::NotifyAtStart) != QLatin1String("0");
    if (!m_enabled)
        return;
    QByteArray log;
    QString error;
    if (readStartupLog(m_services.directory, m_services.files, &log, &error))
        m_previousStart = previousStartDate(log, calendarOrder(m_services));
    else
        warn(error);
    connect(&m_notifier, &Notifier::activated, this, &StartNoticePoster::bringBack);
}

void StartNoticePoster::post(QWidget* window) {
    if (!m_enabled)
        return;
    ReminderFileReader reader;
    QString error;
    if (!reader.open(QDir(m_services.directory).filePath(QStringLiteral("reminder.dat")), &error)) {
        warn(error);
        return;
    }
    const ViewContext context = ViewContext::make(
        m_services.clock.today(), calendarOrder(m_services), m_services.clock.locale());
    const StartNotice notice =
        buildStartNotice(reader.records(), context, m_previousStart, window->isMinimized());
    if (notice.isEmpty())
        return;
    m_window = window;
    m_notifier.notify(notice.summary, notice.body(false), notice.body(true));
}

void StartNoticePoster::bringBack() {
    if (m_window)
        bringToFront(*m_window);
}

} // namespace nudgewell
