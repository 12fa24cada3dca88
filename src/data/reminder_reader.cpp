// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/reminder_reader.h"

#include <QFile>

#include <cstring>
#include <limits>
#include <type_traits>

namespace nudgewell {

// A record is nothing but its 70 bytes, so the file is read straight into the records: one
// copy of a large file instead of two.
static_assert(sizeof(ReminderRecord) == ReminderRecord::Size &&
              std::is_trivially_copyable_v<ReminderRecord>);

bool readReminderFile(const QString& path, std::vector<ReminderRecord>* records, QString* error) {
    records->clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const qint64 count = qMin<qint64>(CountFromLength(file.size(), ReminderRecord::Size),
                                      std::numeric_limits<int>::max());
    records->resize(count);
    char* data = reinterpret_cast<char*>(records->data());
    const qint64 length = count * ReminderRecord::Size;
    qint64 got = 0;
    while (got < length) {
        const qint64 n = file.read(data + got, length - got);
        if (n < 0) {
            records->clear();
            if (error)
                *error = file.errorString();
            return false;
        }
        if (n == 0)
            break; // the short last record, or a file that shrank meanwhile
        got += n;
    }
    if (got < length)
        std::memset(data + got, ' ', length - got);
    return true;
}

} // namespace nudgewell
