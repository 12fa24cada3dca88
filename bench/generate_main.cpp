// SPDX-License-Identifier: GPL-3.0-or-later
// Writes DIR/reminder.dat and DIR/reminders.rem with COUNT generated reminders.
#include "generator.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char* argv[]) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: %s COUNT DIR [SEED]\n", argv[0]);
        return 2;
    }
    const int count = std::atoi(argv[1]);
    if (count < 0 || count > 32767) {
        std::fprintf(stderr, "%s: COUNT must be 0 to 32767\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[2];
    const auto reminders =
        argc == 4 ? nudgewell::bench::generateReminders(count, std::uint32_t(std::atol(argv[3])))
                  : nudgewell::bench::generateReminders(count);
    if (!nudgewell::bench::writeWholeFile(dir + "/reminder.dat",
                                          nudgewell::bench::reminderFileBytes(reminders)) ||
        !nudgewell::bench::writeWholeFile(dir + "/reminders.rem",
                                          nudgewell::bench::remindScript(reminders))) {
        std::perror(argv[0]);
        return 1;
    }
    return 0;
}
