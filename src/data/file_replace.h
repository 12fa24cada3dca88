// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

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
ReplaceOutcome replaceFile(FileSystem& files, const QString& target, const QString& temp,
                           const QByteArray& content, QString* error);

} // namespace nudgewell
