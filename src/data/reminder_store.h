// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/date_patterns.h"
#include "platform/file_system.h"

#include <QFile>
#include <QString>

#include <array>
#include <functional>
#include <vector>

namespace nudgewell {

enum class FrequencyCode : char { Once = 'O', Weekly = 'W', Monthly = 'M', Yearly = 'Y' };
constexpr char ShowYears = 'A';
constexpr char HideYears = 'X';

// One 70-byte record of reminder.dat: text (55), reserved (3), years flag (1),
// frequency code (1), date text (10). Bytes are kept exactly as read.
class ReminderRecord {
public:
    static constexpr int Size = 70;
    static constexpr int TextLength = 55;
    static constexpr int DateLength = 10;

    // Empty fields: blanks, with a reserved field of three 0x00 bytes.
    ReminderRecord();
    static ReminderRecord fromBytes(const char* bytes, qsizetype length);

    QString text() const; // all 55 characters, trailing blanks included
    QString trimmedText() const;
    void setText(const QString& text);

    QByteArray reserved() const { return QByteArray(m_bytes.data() + 55, 3); }
    void clearReserved();

    char yearsFlag() const { return m_bytes[58]; }
    void setYearsFlag(char flag) { m_bytes[58] = flag; }
    char frequencyCode() const { return m_bytes[59]; }
    void setFrequencyCode(char code) { m_bytes[59] = code; }

    QString dateText() const;
    // The date bytes as they are; stored dates are ASCII digits and slashes.
    QLatin1StringView dateBytes() const { return QLatin1StringView(m_bytes.data() + 60, 10); }
    void setDateText(const QString& date);

    QByteArray bytes() const { return QByteArray(m_bytes.data(), Size); }
    bool operator==(const ReminderRecord& other) const = default;

private:
    std::array<char, Size> m_bytes;
};

// Removes the blanks around a text field; other white space is part of the text.
QString trimBlanks(const QString& text);

// Length / record length to the nearest whole number, halves to the even neighbour.
qint64 CountFromLength(qint64 length, int recordLength);

// reminder.dat in a folder, held open between commands. Records count from 1. Every
// operation that touches the disk returns false with the system's reason on failure, and
// leaves the file and the record count as they were. A rewrite that took place but whose
// folder could not be flushed to disk returns true with the reason in *error.
//
// The record an empty file is given, "Christmas Day", dated in `order`.
ReminderRecord sampleRecord(DateOrder order);

// Other programs may replace or change the file meanwhile: the store notes the identity of
// the file (FileIdentity) after each of its own reads and writes, and changedOnDisk() compares
// it with the file at the path. ReminderSession builds the record commands on this.
class ReminderStore {
public:
    explicit ReminderStore(const QString& directory);
    ReminderStore(const QString& directory, FileSystem& files);
    ~ReminderStore();

    // Opens read-write; a file that can only be read is opened read-only (readOnly() tells),
    // and every write then fails saying so.
    bool Open(QString* error);
    void Close();
    bool isOpen() const { return m_file.isOpen(); }
    bool readOnly() const { return m_readOnly; }
    // Why a read-only file could not be opened for writing.
    QString readOnlyReason() const { return m_readOnlyReason; }
    int count() const { return m_count; }
    QString path() const { return m_path; }

    // A number outside 1..count, or a failed read, yields a record of empty fields.
    ReminderRecord ReadRecord(int n, QString* error = nullptr) const;
    // Every record in one read of the file.
    bool readAll(std::vector<ReminderRecord>* records, QString* error) const;
    // n == count + 1 appends. With `expected`, record n must still hold those bytes; when it
    // does not, nothing is written and *stale is set (with a false result).
    bool WriteRecord(int n, const ReminderRecord& record, QString* error,
                     const ReminderRecord* expected = nullptr, bool* stale = nullptr);
    // Appends the records in one write.
    bool AppendRecords(const std::vector<ReminderRecord>& records, QString* error);
    // Replaces the file with exactly these records (through reminder.tmp).
    bool ReplaceAll(const std::vector<ReminderRecord>& records, QString* error);
    // Removes record k; with k outside 1..count the file is copied whole.
    bool RewriteWithout(int k, QString* error);
    // Keeps, in order, the records that pass; each kept record gets a zeroed reserved field.
    bool RewriteKeeping(const std::function<bool(const ReminderRecord&)>& keep, QString* error);
    bool SeedSampleRecord(DateOrder order, QString* error);

    // The file at the path is not the one last read or written (or none is open).
    bool changedOnDisk() const { return !isOpen() || FileSystem::identify(m_path) != m_stamp; }
    // Makes the open file the one at the path, as it is now, and takes the advisory lock on
    // it. *reopened tells that the file had to be opened again (its records may differ).
    bool lockCurrent(bool* reopened, QString* error);
    void unlock();

private:
    bool writeAt(int n, QByteArray bytes, QString* error, const ReminderRecord* expected,
                 bool* stale);
    bool replaceWith(const QByteArray& content, int newCount, QString* error);
    QString tempPath() const;
    bool writable(QString* error) const;

    QString m_directory;
    QString m_path;
    FileSystem& m_files;
    mutable QFile m_file;
    mutable FileIdentity m_stamp; // the file as last read or written by the store
    int m_count = 0;
    bool m_readOnly = false;
    QString m_readOnlyReason; // why it could not be opened for writing
};

} // namespace nudgewell
