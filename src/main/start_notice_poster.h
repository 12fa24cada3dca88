// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/services.h"

#include <QDate>
#include <QObject>
#include <QPointer>

class QWidget;

namespace nudgewell {

class Notifier;

// The desktop notification at start: today's reminders and the ones missed since the previous
// start. A click on it brings the main window back.
class StartNoticePoster final : public QObject {
    Q_OBJECT

public:
    // Notes the previous start from the start-up log, so it is made before the main window's
    // start-up adds this start's record.
    StartNoticePoster(const Services& services, Notifier& notifier, QObject* parent = nullptr);
    // Posts it, if there is something to tell, for the window as start-up left it.
    void post(QWidget* window);

private:
    void bringBack();

    Services m_services;
    Notifier& m_notifier;
    bool m_enabled = true;
    QDate m_previousStart;
    QPointer<QWidget> m_window;
};

} // namespace nudgewell
