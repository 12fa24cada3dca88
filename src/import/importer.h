// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/date_patterns.h"
#include "data/reminder_session.h"
#include "import/entry.h"

#include <QStringList>

#include <optional>
#include <vector>

namespace nudgewell {

// What an import did, for the message box and the terminal.
struct ImportReport {
    int added = 0;
    int alreadyThere = 0;
    int skipped = 0;
    int unreadFiles = 0;
    QStringList problems; // one line per skipped entry and per file not read
    QString failure;      // why nothing could be added to reminder.dat

    // 0 when every file was read and what was new was added, else 1.
    int exitStatus() const { return unreadFiles > 0 || !failure.isEmpty() ? 1 : 0; }
    // "3 reminders added, 1 already there, 2 skipped."
    QString summary() const;
    bool operator==(const ImportReport&) const = default;
};

// A text as the reminder text box keeps it: line breaks, tabs and other control characters
// become blanks, characters the record's code page lacks are left out, and the blanks around
// it go. The record then keeps its first 55 characters.
QString storableText(const QString& text);

// The entries of an address book or a calendar file, told apart by their first line. False,
// with the reason, when the file cannot be read or is neither.
bool readImportFile(const QString& path, std::vector<ImportEntry>* entries, QString* error);

// Why an entry the readers found fine still gives no record: no text the record can hold, or a
// year before 100, which the file cannot tell from a two-digit one. Empty when it does.
QString recordProblem(const ImportEntry& entry);

// The record of an entry without a problem, its date written in `order`.
ReminderRecord recordFor(const ImportEntry& entry, DateOrder order);

// The file side of an import: appends, in order and all or none, the records whose text, date
// and frequency the file (or an earlier candidate) does not hold yet. Dates already in the file
// are read in `readOrder`, as the lists read them.
struct AddOutcome {
    int added = 0;
    int alreadyThere = 0;
    int overLimit = 0; // left out: the file holds 32,767 reminders at most
    QString error;     // not empty: nothing was added
};
AddOutcome addNewRecords(ReminderSession& session, const std::vector<ReminderRecord>& candidates,
                         DateOrder readOrder);

// Reads the files and adds what is new through the open `session`, dates written in
// `writeOrder`.
ImportReport importFiles(const QStringList& paths, ReminderSession& session, DateOrder writeOrder,
                         DateOrder readOrder);

// An import handed to the copy that runs in the folder, and its answer.
QByteArray encodeImportRequest(const QStringList& paths);
std::optional<QStringList> decodeImportRequest(const QByteArray& request);
QByteArray encodeImportReport(const ImportReport& report);
std::optional<ImportReport> decodeImportReport(const QByteArray& answer);

} // namespace nudgewell
