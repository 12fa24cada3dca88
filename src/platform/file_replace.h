// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

class QFile;

namespace nudgewell {

class FileSystem;

// How a whole-file replace ended.
enum class ReplaceOutcome {
    Done,
    // The new file is in place, but the folder entry may not be on the disk yet.
    DoneFolderNotSynced,
    // Nothing changed: the old file is as it was and no temporary file is left.
    Failed,
};

// Replaces `target` with `content` so that at every moment one complete file is there: writes
// `temp` (a stale one is removed first), flushes it to the disk, renames it over `target`, and
// flushes the folder. *error gets the system's reason for anything but Done.
//
// With `reopened`, once the rename took place, `reopened` is opened (read-write) on the new file
// through the descriptor the file was written with, so that holding the file open again cannot
// fail by name; should even that fail, it is opened by the target's name. *reopenError tells
// when neither worked (the new file is in place all the same).
// How a command that writes a file ended. Every failure message follows one rule: a sentence
// that names the command and says whether it took effect, then the system's reason.
struct WriteResult {
    enum class Outcome {
        Done,
        // Done, but not yet safe on the disk (the folder could not be flushed).
        NotDurable,
        NotDone,
    };
    Outcome outcome = Outcome::Done;
    QString reason; // the system's, for anything but Done

    bool tookEffect() const { return outcome != Outcome::NotDone; }
    static WriteResult notDone(const QString& reason) { return {Outcome::NotDone, reason}; }
    static WriteResult notDurable(const QString& reason) { return {Outcome::NotDurable, reason}; }
    // From the convention of the stores: false for nothing done, true with a reason for done
    // but not flushed.
    static WriteResult from(bool ok, const QString& error) {
        return {ok ? (error.isEmpty() ? Outcome::Done : Outcome::NotDurable) : Outcome::NotDone,
                error};
    }
};

// Empty when done; else `notDone` or `notDurable` as the outcome says, a line break and the
// reason.
QString failureMessage(const WriteResult& result, const QString& notDone,
                       const QString& notDurable);

ReplaceOutcome replaceFile(FileSystem& files, const QString& target, const QString& temp,
                           const QByteArray& content, QString* error, QFile* reopened = nullptr,
                           QString* reopenError = nullptr);

} // namespace nudgewell
