// SPDX-License-Identifier: GPL-3.0-or-later
// The upcoming line count of generated reminders worked out on its own, with QDate arithmetic:
// every reminder against every day of the window, for the benchmarks to check the program by.
#pragma once

#include "generator.h"

#include <QDate>

#include <vector>

namespace nudgewell::bench {

inline int expectedUpcomingLines(const std::vector<Reminder>& reminders, QDate today, int days) {
    int lines = 0;
    for (const Reminder& r : reminders) {
        const QDate stored(r.year, r.month, r.day);
        for (int d = 0; d <= days; ++d) {
            const QDate day = today.addDays(d);
            switch (r.frequency) {
            case 'W':
                lines += stored.daysTo(day) % 7 == 0;
                break;
            case 'M':
                lines += stored.day() == day.day();
                break;
            case 'Y':
                lines += stored.month() == day.month() && stored.day() == day.day();
                break;
            case 'O':
                lines += stored.year() % 100 == day.year() % 100 && stored.month() == day.month() &&
                         stored.day() == day.day();
                break;
            }
        }
    }
    return lines;
}

} // namespace nudgewell::bench
