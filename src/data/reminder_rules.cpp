// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/reminder_rules.h"

#include "data/date_patterns.h"

#include <iterator>

namespace nudgewell {

ReminderRecord newPlaceholderRecord(const QDate& today) {
    ReminderRecord placeholder;
    placeholder.setYearsFlag(HideYears);
    placeholder.setFrequencyCode(char(FrequencyCode::Once));
    placeholder.setDateText(Format(today, QStringLiteral("mm/dd/yyyy"), QLocale::c()));
    return placeholder;
}

bool isPastOneTime(const ReminderRecord& record, const QDate& today, const QLocale& locale) {
    if (record.frequencyCode() != char(FrequencyCode::Once))
        return false;
    const QDate date = ParseStoredDate(record.dateText(), locale);
    return date.isValid() && date < today;
}

char frequencyCodeForChoice(int choice) {
    return choice >= 0 && choice < int(std::size(kFrequencyChoices)) ? kFrequencyChoices[choice]
                                                                     : ' ';
}

int choiceForFrequencyCode(char code) {
    for (int i = 0; i < int(std::size(kFrequencyChoices)); ++i) {
        if (kFrequencyChoices[i] == code)
            return i;
    }
    return -1;
}

} // namespace nudgewell
