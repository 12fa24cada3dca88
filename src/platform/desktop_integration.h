// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace nudgewell {

class FileSystem;

// $XDG_DATA_HOME/Nudgewell; ~/.local/share/Nudgewell when XDG_DATA_HOME is unset or not an
// absolute path (the XDG rule: a relative one is ignored).
QString userDataFolder();
// $XDG_CONFIG_HOME/autostart/nudgewell.desktop, with the same fallback to ~/.config.
QString autostartEntryPath();

// Creates `folder` and any missing parent with mode 0700 (an existing one keeps its mode) and
// makes it the working folder.
bool enterFolder(const QString& folder, QString* error);

// The value of a desktop entry's Exec key that runs `program` with `arguments`, quoted and
// escaped so that a launcher gets back exactly these words.
QString desktopExec(const QString& program, const QStringList& arguments);

// The log-in entry: starts `program` in the per-user data folder.
QByteArray autostartEntry(const QString& program);
bool installAutostart(FileSystem& files, const QString& entryPath, const QString& program,
                      QString* error);

enum class RemoveOutcome { Removed, WasNotThere, Failed };
RemoveOutcome removeAutostart(FileSystem& files, const QString& entryPath, QString* error);

} // namespace nudgewell
