// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/date_patterns.h"
#include "data/reminder_store.h"
#include "data/view_lines.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

#include <span>

namespace nudgewell {

// What the desktop notification at start says. An empty summary: nothing to post.
struct StartNotice {
    QString summary;
    QStringList lines; // the body, plain text

    bool isEmpty() const { return summary.isEmpty(); }
    // The lines joined; with markup, '&', '<' and '>' are escaped for services that read it.
    QString body(bool markup) const;
};

// How far back missed reminders are looked for, in days.
constexpr int MissedLookBackDays = 366;
// Lines of each list before "and N more".
constexpr int NoticeListLimit = 8;

// The day of the previous start: the date of the last record of `log`, startup.dat as it was
// before this start added its own record. Invalid when there is none or it cannot be read.
QDate previousStartDate(const QByteArray& log, DateOrder order);

// The occurrences of today and of the days after the previous start and before today, by the
// upcoming view's rule and order. Empty unless something was missed, or something is due
// today and the window started minimised (a window on screen shows today's already).
StartNotice buildStartNotice(std::span<const ReminderRecord> records, const ViewContext& context,
                             const QDate& previousStart, bool startedMinimised);

} // namespace nudgewell
