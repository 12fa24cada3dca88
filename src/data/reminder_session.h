// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/reminder_store.h"
#include "platform/file_replace.h"

#include <QObject>

#include <functional>
#include <vector>

namespace nudgewell {

// The record commands of the main window on reminder.dat: the current record, New (add) or
// Edit, Save, Cancel, Delete and the purge, and the records as last read.
//
// reminder.dat may be changed by other programs at any time (a sync tool renames a new version
// over it, a script appends). Before every write the session takes the advisory lock on the
// file and checks that it is the one it last read or wrote; when not, it reads the file again
// and applies the command to what the file holds now. Records are found again by what they
// were: their 70 bytes and which of identical records they were. Nothing another program wrote
// is overwritten.
//
// Records count from 1. Every write returns a Result: Done, NotDurable (took effect, folder not
// flushed) or NotDone (nothing changed), with the system's reason; a message built from it by
// failureMessage() follows the program's one rule. recordsWritten() follows every write that
// took effect.
class ReminderSession : public QObject {
    Q_OBJECT

public:
    struct Result : WriteResult {
        // Save: the record the editor was opened on was gone or changed by another program,
        // so the edit was appended as a new record.
        bool savedAsNew = false;
        // Delete, or Cancel after New: the record was already gone; nothing was written.
        bool alreadyGone = false;
    };
    using Records = std::vector<ReminderRecord>;
    enum class EditMode { None, Add, Edit };

    ReminderSession(const QString& directory, FileSystem& files, QObject* parent = nullptr);

    // Opens reminder.dat (creating it; read-only when it may only be read) and reads it. The
    // current record becomes the last one.
    bool open(QString* error);
    bool readOnly() const { return m_store.readOnly(); }
    QString readOnlyReason() const { return m_store.readOnlyReason(); }
    QString path() const { return m_store.path(); }

    // The records as last read or written; count() of them.
    const Records& records() const { return m_records; }
    int count() const { return int(m_records.size()); }
    // Record n, or a record of empty fields outside 1..count.
    ReminderRecord record(int n) const;

    // Reads the file again when it is not the one last read or written, or always with
    // `always` (a change in place may keep the file's time). The current and edited records
    // keep their identity. True when the records differ from before.
    bool refresh(bool always, QString* error);

    // The record that Edit and Delete work on; 0 or past the end when there is none.
    int current() const { return m_current; }
    void setCurrent(int n) { m_current = n; }

    EditMode editMode() const { return m_editing; }
    // The mode of the last New or Edit, kept after the editor closes.
    EditMode lastEditMode() const { return m_lastMode; }
    // The record the open editor works on, as it was when the editor opened.
    ReminderRecord editOriginal() const { return m_editOriginal; }

    // Appends the sample record to an empty file.
    Result seedSample(DateOrder order);
    // New: appends the placeholder, makes it current, and opens the editor on it.
    Result beginNew(const ReminderRecord& placeholder);
    // Edit: opens the editor on the current record; false when there is none.
    bool beginEdit();
    // Writes the edited record over the one the editor was opened on (or appends it, see
    // Result::savedAsNew) and closes the editor; it stays open when nothing was written.
    Result save(const ReminderRecord& edited);
    // Closes the editor; after New, removes the placeholder first (the editor stays open when
    // that fails).
    Result cancel();
    // Removes the current record.
    Result deleteCurrent();
    // Keeps, in order, the records that pass, each with a zeroed reserved field.
    Result purge(const std::function<bool(const ReminderRecord&)>& keep);
    // Appends the records after the current last one, in one write (an import).
    Result addRecords(const Records& records);

signals:
    // The file was written by this session (and holds records()).
    void recordsWritten();

private:
    // Locks the file as it is at the path, reading it again when it changed.
    bool lockFresh(QString* error);
    void adopt(Records fresh);
    // Reads the file under the lock and takes it when it differs from the records held.
    bool readUnderLock(QString* error);
    Result finish(bool ok, const QString& error);
    Result replace(Records records);

    ReminderStore m_store;
    Records m_records;
    int m_current = 0;
    int m_editRecord = 0; // 0 while not editing, or when that record is gone
    ReminderRecord m_editOriginal;
    EditMode m_editing = EditMode::None;
    EditMode m_lastMode = EditMode::None;
};

} // namespace nudgewell
