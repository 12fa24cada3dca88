// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nudgewell::bench {

// One generated reminder, with the date as the program reads it back from the file.
struct Reminder {
    std::string text; // UTF-8, at most 55 characters, never '%' or '['
    char frequency;   // 'O', 'W', 'M' or 'Y'
    char yearsFlag;   // 'A' or 'X'
    int year;
    int month;
    int day;
    bool dayFirstText; // stored as "dd/mm/yyyy" (only when the day is above 12)
};

// A realistic mix, the same for the same count and seed: mostly weekly, monthly and yearly,
// some one-time; random texts and dates.
std::vector<Reminder> generateReminders(int count, std::uint32_t seed = 20261206);

// The 70-byte records of reminder.dat (Windows-1252 text).
std::string reminderFileBytes(const std::vector<Reminder>& reminders);

// The same reminders as a Remind script: the same days get the same texts.
std::string remindScript(const std::vector<Reminder>& reminders);

bool writeWholeFile(const std::string& path, const std::string& bytes);

} // namespace nudgewell::bench
