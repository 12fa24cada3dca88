// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/reminder_store.h"

#include <QString>

#include <vector>

namespace nudgewell {

// Every record of a reminder file, read in one go through a read-only handle, for tools that
// only look: nothing is created or changed. The count follows the file's length as at
// start-up, and a short last record reads as far as it goes, padded with blanks.
// False, with the system's reason, when the file cannot be read.
bool readReminderFile(const QString& path, std::vector<ReminderRecord>* records, QString* error);

} // namespace nudgewell
