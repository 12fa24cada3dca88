// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QString>

namespace nudgewell {

// A reminder found in an address book or a calendar, or why one of its entries gives none.
struct ImportEntry {
    QString where; // which card or event, for the messages: "card 3 (Anna Berg)"
    QString text;  // as found; the record keeps what it can
    QDate date;
    char frequency = 'O';
    bool showYears = false;
    QString problem; // not empty: skipped, for this reason

    bool operator==(const ImportEntry&) const = default;
};

// A birthday without a year is stored in a leap year, so that 29 February keeps its day; its
// years are not shown.
inline constexpr int kYearUnknown = 2000;

} // namespace nudgewell
