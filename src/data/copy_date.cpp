// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/copy_date.h"

#include "data/date_patterns.h"
#include "data/settings.h"

namespace nudgewell {

QString copyDatePattern(const SettingLookup& setting) {
    const QString yes = QStringLiteral("yes");
    if (setting(keys::CopyDate) != yes)
        return {};
    if (setting(keys::ShortDate) == yes)
        return QStringLiteral("short date");
    if (setting(keys::MediumDate) == yes)
        return QStringLiteral("medium date");
    // Long is the choice the user never has to make: a missing key means it.
    const QString longDate = setting(keys::LongDate);
    if (longDate == yes || longDate.isEmpty())
        return QStringLiteral("long date");
    return {};
}

std::optional<QString> copyDateText(const QDate& date, const SettingLookup& setting,
                                    const QLocale& locale) {
    const QString pattern = copyDatePattern(setting);
    if (pattern.isEmpty() || !date.isValid())
        return std::nullopt;
    return Format(date, pattern, locale);
}

} // namespace nudgewell
