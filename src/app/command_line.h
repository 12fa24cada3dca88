// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace nudgewell {

class FileSystem;

// What the command line asks for. Arguments that are not Nudgewell's own (Qt's -platform,
// -style and their values) are left for QApplication.
struct CommandLine {
    enum class Action { Start, Help, Version, InstallAutostart, RemoveAutostart, Import, Wrong };
    Action action = Action::Start;
    // Work in the per-user data folder instead of the working folder.
    bool userData = false;
    // For Wrong: what is wrong, for standard error.
    QString problem;
    // For Import: the vCard and iCalendar files, as given.
    QStringList importFiles;

    static CommandLine read(const QStringList& arguments);
    static CommandLine read(int argc, char* argv[]);
};

// Answers an action that ends on the terminal (everything but Start): prints the help, the
// version or what went wrong, or writes or removes the autostart entry. Returns the exit
// status: 0 done, 1 a disk step failed (also one that took effect but could not be flushed to
// the disk; or, for Import, a file could not be read), 2 a wrong command line. `files` is the
// real file system but in tests.
int answerOnTerminal(const CommandLine& commandLine, int argc, char* argv[]);
int answerOnTerminal(const CommandLine& commandLine, int argc, char* argv[], FileSystem& files);

// For --user-data: makes the per-user data folder the working folder, or shows why it cannot
// in a message box. Needs the QApplication.
bool enterUserDataFolderOrSay();

// --import: adds the reminders the files hold, through the copy that runs in the data folder
// when there is one; prints the summary. The exit status as for answerOnTerminal.
int runImport(const CommandLine& commandLine, int argc, char* argv[]);

} // namespace nudgewell
