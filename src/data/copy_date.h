// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

#include <functional>
#include <optional>

namespace nudgewell {

// Reads one settings key; a missing key reads as "".
using SettingLookup = std::function<QString(const QString& key)>;

// The named format ("short date", "medium date" or "long date") in which the calendar copies a
// date, from "Copy Date", "Short Date", "Medium Date" and "Long Date"; empty when nothing is to
// be copied. Every value is compared exactly with "yes".
QString copyDatePattern(const SettingLookup& setting);

// The text the calendar puts on the clipboard for `date`, or nothing.
std::optional<QString> copyDateText(const QDate& date, const SettingLookup& setting,
                                    const QLocale& locale);

} // namespace nudgewell
