// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>
#include <optional>

class QIODevice;

namespace nudgewell {

class Clock;
class SecretStore;
class SettingsStore;

struct PublishCommand {
    enum class Action { SetUp, Off, Run } action;
    QString url;          // SetUp
    QString user;         // SetUp
    QString reminderFile; // Run
};

// Asks for the password; nullopt when none could be read.
using PasswordPrompt = std::function<std::optional<QString>(const QString& prompt)>;

// nudgewell-agenda's --publish-to, --publish-off and --publish, on the event loop of the
// QCoreApplication that must exist. Returns the exit status: 0 done, 1 with the reason as one
// line on `err`, 2 for an address that cannot be used. Nothing is stored unless the calendar
// answered with the password given.
int runPublishCommand(const PublishCommand& command, SettingsStore& settings, SecretStore& secrets,
                      const Clock& clock, QIODevice& out, QIODevice& err,
                      const PasswordPrompt& prompt);

// From a terminal, without echo; otherwise one line of standard input.
std::optional<QString> readPassword(const QString& prompt);

} // namespace nudgewell
