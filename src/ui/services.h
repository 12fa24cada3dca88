// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace nudgewell {

class Clipboard;
class Clock;
class FileSystem;
class HelpViewer;
class MessageBoxes;
class Printer;
class SettingsStore;
class SystemDate;

// What the program's windows need from outside; tests hand in fakes.
struct Services {
    Clock& clock;
    SettingsStore& settings;
    MessageBoxes& messages;
    HelpViewer& help;
    FileSystem& files;
    Printer& printer;
    Clipboard& clipboard;
    SystemDate& systemDate;
    QString directory; // where reminder.dat and startup.dat live
};

} // namespace nudgewell
