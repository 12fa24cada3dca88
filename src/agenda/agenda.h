// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QIODevice;

namespace nudgewell {

class Clock;
class SettingsStore;

// The terminal agenda: the lines of the upcoming list (or, with --all, of the all list), one
// per line in UTF-8, or with --ical every reminder as an iCalendar file, from reminder.dat in
// `directory` or the file named by --file. Reads the reminder file and the settings only.
// `arguments` leaves out the program name. Returns the exit status: 0 when the output was
// written, 2 for a bad option or an unreadable file, 1 when the output cannot be written;
// every failure is one line on `err`, and so is each kind of reminder --ical leaves out.
int runAgenda(const QStringList& arguments, const Clock& clock, const SettingsStore& settings,
              const QString& directory, QIODevice& out, QIODevice& err);

} // namespace nudgewell
