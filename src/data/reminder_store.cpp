// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/reminder_store.h"

#include "data/codepage.h"
#include "platform/file_replace.h"
#include "platform/file_system.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstring>
#include <limits>

namespace nudgewell {

QString trimBlanks(const QString& s) {
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && s[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && s[end - 1] == QLatin1Char(' '))
        --end;
    return s.mid(begin, end - begin);
}

namespace {

void putField(char* dst, int width, const QByteArray& value) {
    const int n = qMin<int>(width, value.size());
    std::memcpy(dst, value.constData(), n);
    std::memset(dst + n, ' ', width - n);
}

} // namespace

ReminderRecord::ReminderRecord() {
    m_bytes.fill(' ');
    clearReserved();
}

ReminderRecord ReminderRecord::fromBytes(const char* bytes, qsizetype length) {
    ReminderRecord r;
    std::memcpy(r.m_bytes.data(), bytes, qMin<qsizetype>(length, Size));
    return r;
}

QString ReminderRecord::text() const {
    return fromCp1252(m_bytes.data(), TextLength);
}

QString ReminderRecord::trimmedText() const {
    return trimBlanks(text());
}

void ReminderRecord::setText(const QString& text) {
    putField(m_bytes.data(), TextLength, toCp1252(text.left(TextLength)));
}

void ReminderRecord::clearReserved() {
    std::memset(m_bytes.data() + 55, 0, 3);
}

QString ReminderRecord::dateText() const {
    return fromCp1252(m_bytes.data() + 60, DateLength);
}

void ReminderRecord::setDateText(const QString& date) {
    putField(m_bytes.data() + 60, DateLength, toCp1252(date.left(DateLength)));
}

qint64 CountFromLength(qint64 length, int recordLength) {
    if (length <= 0 || recordLength <= 0)
        return 0;
    const qint64 whole = length / recordLength;
    const qint64 twiceRest = 2 * (length % recordLength);
    if (twiceRest > recordLength || (twiceRest == recordLength && whole % 2 == 1))
        return whole + 1;
    return whole;
}

ReminderStore::ReminderStore(const QString& directory)
    : ReminderStore(directory, FileSystem::real()) {}

ReminderStore::ReminderStore(const QString& directory, FileSystem& files)
    : m_directory(directory), m_path(QDir(directory).filePath(QStringLiteral("reminder.dat"))),
      m_files(files) {}

ReminderStore::~ReminderStore() {
    Close();
}

QString ReminderStore::tempPath() const {
    return QDir(m_directory).filePath(QStringLiteral("reminder.tmp"));
}

bool ReminderStore::Open(QString* error) {
    Close();
    m_readOnly = false;
    m_file.setFileName(m_path);
    QString reason;
    if (!m_files.openReadWrite(m_file, &reason)) {
        if (error)
            *error = reason;
        // A file that may be read but not written still shows its reminders.
        if (!QFileInfo(m_path).isFile() || !m_files.openReadOnly(m_file, nullptr))
            return false;
        m_readOnly = true;
        m_readOnlyReason = reason;
        if (error)
            error->clear();
    }
    m_stamp = FileSystem::identify(m_file);
    m_count = static_cast<int>(qMin<qint64>(CountFromLength(m_stamp.size, ReminderRecord::Size),
                                            std::numeric_limits<int>::max()));
    return true;
}

bool ReminderStore::lockCurrent(bool* reopened, QString* error) {
    *reopened = false;
    // Another program may change or replace the file between the look and the lock (while
    // holding the lock itself, or not taking it at all): look again under the lock.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (changedOnDisk()) {
            if (!Open(error))
                return false;
            *reopened = true;
        }
        if (!m_files.lock(m_file, error))
            return false;
        if (!changedOnDisk())
            return true;
        unlock();
    }
    if (error)
        *error = QCoreApplication::translate("reminder_store",
                                             "%1 keeps being changed by another program.")
                     .arg(m_path);
    return false;
}

void ReminderStore::unlock() {
    FileSystem::unlock(m_file);
}

void ReminderStore::Close() {
    if (m_file.isOpen())
        m_file.close();
}

ReminderRecord ReminderStore::ReadRecord(int n, QString* error) const {
    if (n < 1 || n > m_count || !m_file.isOpen())
        return {};
    QByteArray data;
    if (!m_files.read(m_file, qint64(n - 1) * ReminderRecord::Size, ReminderRecord::Size, &data,
                      error))
        return {};
    // A short last record reads as far as it goes; the rest stays blank.
    ReminderRecord record;
    if (!data.isEmpty()) {
        QByteArray padded = data;
        padded.append(ReminderRecord::Size - data.size(), ' ');
        record = ReminderRecord::fromBytes(padded.constData(), padded.size());
    }
    return record;
}

bool ReminderStore::readAll(std::vector<ReminderRecord>* records, QString* error) const {
    records->clear();
    if (!m_file.isOpen()) {
        if (error)
            *error = QCoreApplication::translate("reminder_store", "%1 is not open.").arg(m_path);
        return false;
    }
    // Noted before the read, so that a change made during it shows as a change.
    m_stamp = FileSystem::identify(m_file);
    QByteArray data;
    if (!m_files.read(m_file, 0, qint64(m_count) * ReminderRecord::Size, &data, error))
        return false;
    data.append(qint64(m_count) * ReminderRecord::Size - data.size(), ' ');
    records->reserve(m_count);
    for (int i = 0; i < m_count; ++i)
        records->push_back(ReminderRecord::fromBytes(data.constData() + qint64(i) * 70, 70));
    return true;
}

bool ReminderStore::writable(QString* error) const {
    if (!m_readOnly)
        return true;
    if (error)
        *error = QCoreApplication::translate("reminder_store",
                                             "%1 can only be read: changes cannot be saved.\n%2")
                     .arg(m_path, m_readOnlyReason);
    return false;
}

bool ReminderStore::WriteRecord(int n, const ReminderRecord& record, QString* error,
                                const ReminderRecord* expected, bool* stale) {
    return writeAt(n, record.bytes(), error, expected, stale);
}

bool ReminderStore::AppendRecords(const std::vector<ReminderRecord>& records, QString* error) {
    QByteArray bytes;
    bytes.reserve(qint64(records.size()) * ReminderRecord::Size);
    for (const ReminderRecord& record : records)
        bytes += record.bytes();
    return records.empty() || writeAt(m_count + 1, bytes, error, nullptr, nullptr);
}

bool ReminderStore::ReplaceAll(const std::vector<ReminderRecord>& records, QString* error) {
    if (!writable(error))
        return false;
    QByteArray content;
    content.reserve(qint64(records.size()) * ReminderRecord::Size);
    for (const ReminderRecord& record : records)
        content += record.bytes();
    return replaceWith(content, int(records.size()), error);
}

// Writes whole records from record n on: one in place, or any number appended.
bool ReminderStore::writeAt(int n, QByteArray bytes, QString* error, const ReminderRecord* expected,
                            bool* stale) {
    if (!writable(error))
        return false;
    if (n < 1 || n > m_count + 1 || !m_file.isOpen()) {
        if (error)
            *error =
                QCoreApplication::translate("reminder_store", "Record %1 of %2 cannot be written.")
                    .arg(n)
                    .arg(path());
        return false;
    }
    const int written = int(bytes.size() / ReminderRecord::Size);
    qint64 offset = qint64(n - 1) * ReminderRecord::Size;
    QByteArray previous;
    const qint64 size = m_file.size();
    // What the write covers, to put back should it fail: the record, or on an append the
    // bytes past the last whole record that the count rounded down.
    const qint64 covered = n <= m_count ? ReminderRecord::Size : size - offset;
    if (covered > 0 && !m_files.read(m_file, offset, covered, &previous, error))
        return false;
    if (expected && n <= m_count &&
        previous.leftJustified(ReminderRecord::Size, ' ') != expected->bytes()) {
        if (stale)
            *stale = true;
        return false;
    }
    if (n > m_count && size < offset) {
        // A short last record that counts as whole gets the blanks it is read with, not a
        // hole of 0x00 bytes.
        bytes.prepend(QByteArray(offset - size, ' '));
        offset = size;
    }
    if (!m_files.write(m_file, offset, bytes, error) || !m_files.flush(m_file, error)) {
        // Put back what a torn write may have changed; a torn append must not become a
        // record at the next start.
        const bool putBack = previous.isEmpty() || m_files.write(m_file, offset, previous, nullptr);
        if (n <= m_count) {
            if (putBack)
                m_files.flush(m_file, nullptr);
        } else {
            m_files.truncate(m_file, size, nullptr);
        }
        return false;
    }
    if (n > m_count)
        m_count = n - 1 + written;
    m_stamp = FileSystem::identify(m_file);
    return true;
}

bool ReminderStore::RewriteWithout(int k, QString* error) {
    if (!writable(error))
        return false;
    std::vector<ReminderRecord> records;
    if (!readAll(&records, error))
        return false;
    QByteArray content;
    content.reserve(qint64(records.size()) * ReminderRecord::Size);
    for (int i = 1; i <= int(records.size()); ++i) {
        if (i != k)
            content += records[i - 1].bytes();
    }
    const int kept = int(content.size() / ReminderRecord::Size);
    return replaceWith(content, kept, error);
}

bool ReminderStore::RewriteKeeping(const std::function<bool(const ReminderRecord&)>& keep,
                                   QString* error) {
    if (!writable(error))
        return false;
    std::vector<ReminderRecord> records;
    if (!readAll(&records, error))
        return false;
    QByteArray content;
    int kept = 0;
    for (ReminderRecord& record : records) {
        if (!keep(record))
            continue;
        record.clearReserved();
        content += record.bytes();
        ++kept;
    }
    return replaceWith(content, kept, error);
}

bool ReminderStore::replaceWith(const QByteArray& content, int newCount, QString* error) {
    QString reason;
    const ReplaceOutcome outcome =
        replaceFile(m_files, m_path, tempPath(), content, &reason, &m_file);
    if (outcome == ReplaceOutcome::Failed) {
        if (error)
            *error = reason;
        return false;
    }
    // The new file is in place. Should it not be held open again, the next command opens it
    // by name (changedOnDisk() says so while nothing is open).
    m_count = newCount;
    m_stamp = FileSystem::identify(m_file);
    if (outcome == ReplaceOutcome::DoneFolderNotSynced && error)
        *error = reason;
    return true;
}

ReminderRecord sampleRecord(DateOrder order) {
    ReminderRecord sample;
    sample.setText(QStringLiteral("Christmas Day"));
    sample.setYearsFlag(HideYears);
    sample.setFrequencyCode(char(FrequencyCode::Yearly));
    sample.setDateText(order == DateOrder::DayFirst ? QStringLiteral("25/12/2001")
                                                    : QStringLiteral("12/25/2001"));
    return sample;
}

bool ReminderStore::SeedSampleRecord(DateOrder order, QString* error) {
    return WriteRecord(1, sampleRecord(order), error);
}

} // namespace nudgewell
