// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/reminder_store.h"

#include <QDate>
#include <QLocale>

namespace nudgewell {

// The record New appends at once: no text, no years, once, dated today (always month-first,
// whatever the date order, until Save writes the real date).
ReminderRecord newPlaceholderRecord(const QDate& today);

// The purge removes a one-time reminder whose date, read in the regional order, is before
// today. One whose date cannot be read is kept: nothing says it has passed.
bool isPastOneTime(const ReminderRecord& record, const QDate& today, const QLocale& locale);

// The frequency list's choices, in order, and their record letters.
inline constexpr char kFrequencyChoices[] = {'O', 'W', 'M', 'Y'};
// The letter for a choice of the list (0..3); a blank for anything else.
char frequencyCodeForChoice(int choice);
// The list's choice that shows a letter; -1 for a letter it does not offer.
int choiceForFrequencyCode(char code);

} // namespace nudgewell
