// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/reminder_reader.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstring>
#include <limits>
#include <type_traits>

namespace nudgewell {

// A record is nothing but its 70 bytes, so the records can be the file's own bytes.
static_assert(sizeof(ReminderRecord) == ReminderRecord::Size && alignof(ReminderRecord) == 1 &&
              std::is_trivially_copyable_v<ReminderRecord>);

bool ReminderFileReader::open(const QString& path, QString* error) {
    m_records = {};
    m_copy.clear();
    m_file.setFileName(path);
    // Opening a pipe would wait for a writer, and a device reads forever.
    if (const QFileInfo info(path); info.exists() && !info.isFile()) {
        if (error)
            *error = QCoreApplication::translate("reminder_reader", "it is not a regular file");
        return false;
    }
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = m_file.errorString();
        return false;
    }
    const qint64 size = m_file.size();
    const qint64 count =
        qMin<qint64>(CountFromLength(size, ReminderRecord::Size), std::numeric_limits<int>::max());
    const qint64 length = count * ReminderRecord::Size;
    if (count == 0)
        return true;

    // Mapped, the file's pages come in many at a time; read into memory, every page of the
    // copy is touched once more.
    if (length == size) {
        if (const uchar* bytes = m_file.map(0, length)) {
            m_records = {reinterpret_cast<const ReminderRecord*>(bytes), std::size_t(count)};
            return true;
        }
    }
    m_copy.resize(count);
    char* data = reinterpret_cast<char*>(m_copy.data());
    qint64 got = 0;
    while (got < length) {
        const qint64 n = m_file.read(data + got, length - got);
        if (n < 0) {
            m_copy.clear();
            if (error)
                *error = m_file.errorString();
            return false;
        }
        if (n == 0)
            break; // the short last record, or a file that shrank meanwhile
        got += n;
    }
    if (got < length)
        std::memset(data + got, ' ', length - got);
    m_records = m_copy;
    return true;
}

} // namespace nudgewell
