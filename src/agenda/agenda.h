// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QIODevice;

namespace nudgewell {

class Clock;
class SettingsStore;

struct AgendaOptions {
    enum class Publish { None, SetUp, Off, Run };
    bool help = false;
    bool version = false;
    bool all = false;
    bool ical = false;
    std::optional<int> days;
    QString file;
    Publish publish = Publish::None;
    QString publishUrl;
    QString publishUser;
};

// The command line without the program name; on failure *error holds the one-line reason
// (exit status 2).
std::optional<AgendaOptions> parseAgendaOptions(const QStringList& arguments, QString* error);

// The terminal agenda: the lines of the upcoming list (or, with --all, of the all list), one
// per line in UTF-8, or with --ical every reminder as an iCalendar file, from reminder.dat in
// `directory` or the file named by --file. Reads the reminder file and the settings only.
// `arguments` leaves out the program name. Returns the exit status: 0 when the output was
// written, 2 for a bad option or an unreadable file, 1 when the output cannot be written;
// every failure is one line on `err`, and so is each kind of reminder --ical leaves out.
int runAgenda(const QStringList& arguments, const Clock& clock, const SettingsStore& settings,
              const QString& directory, QIODevice& out, QIODevice& err);

} // namespace nudgewell
