// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/reminder_store.h"

#include <QFile>
#include <QString>

#include <span>
#include <vector>

namespace nudgewell {

// Every record of a reminder file through a read-only handle, for tools that only look:
// nothing is created or changed. The count follows the file's length, and a short last
// record reads as far as it goes, padded with blanks.
class ReminderFileReader {
public:
    // False, with the system's reason, when the file cannot be read.
    bool open(const QString& path, QString* error);
    std::span<const ReminderRecord> records() const { return m_records; }

private:
    QFile m_file;
    std::vector<ReminderRecord> m_copy;
    std::span<const ReminderRecord> m_records;
};

} // namespace nudgewell
