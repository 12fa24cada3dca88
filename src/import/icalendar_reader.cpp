// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/icalendar_reader.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTimeZone>

#include <libical/ical.h>

#include <memory>

namespace nudgewell {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("import", text);
}

struct ComponentFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};

// True when a BY list is empty, or holds `value` alone.
bool onlyRepeats(const short* list, int size, int value) {
    return list[0] == ICAL_RECURRENCE_ARRAY_MAX ||
           (list[0] == value && (size == 1 || list[1] == ICAL_RECURRENCE_ARRAY_MAX));
}

bool empty(const short* list) {
    return list[0] == ICAL_RECURRENCE_ARRAY_MAX;
}

// The reminder frequency of an RRULE, or 0 when it falls on days a reminder cannot.
char frequencyOf(const icalrecurrencetype& rule, const QDate& start) {
    if (rule.interval != 1 || rule.count != 0 || !icaltime_is_null_time(rule.until) ||
        !empty(rule.by_second) || !empty(rule.by_minute) || !empty(rule.by_hour) ||
        !empty(rule.by_year_day) || !empty(rule.by_week_no) || !empty(rule.by_set_pos) ||
        rule.rscale != nullptr)
        return 0;
    const bool sameDay = onlyRepeats(rule.by_month_day, ICAL_BY_MONTHDAY_SIZE, start.day());
    switch (rule.freq) {
    case ICAL_YEARLY_RECURRENCE:
        return empty(rule.by_day) && sameDay &&
                       onlyRepeats(rule.by_month, ICAL_BY_MONTH_SIZE, start.month())
                   ? 'Y'
                   : 0;
    case ICAL_MONTHLY_RECURRENCE:
        return empty(rule.by_day) && empty(rule.by_month) && sameDay ? 'M' : 0;
    case ICAL_WEEKLY_RECURRENCE: {
        // libical numbers the weekdays from Sunday = 1, Qt from Monday = 1.
        const int weekday = start.dayOfWeek() % 7 + 1;
        return empty(rule.by_month) && empty(rule.by_month_day) &&
                       onlyRepeats(rule.by_day, ICAL_BY_DAY_SIZE, weekday)
                   ? 'W'
                   : 0;
    }
    default:
        return 0;
    }
}

int countOf(icalcomponent* event, icalproperty_kind kind) {
    return icalcomponent_count_properties(event, kind);
}

ImportEntry readEvent(icalcomponent* event, int number) {
    ImportEntry entry;
    const char* summary = icalcomponent_get_summary(event);
    entry.text = QString::fromUtf8(summary ? summary : "").simplified();
    entry.where = entry.text.isEmpty() ? tr("event %1").arg(number)
                                       : tr("event %1 (%2)").arg(number).arg(entry.text);
    icalproperty* start = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
    if (!start) {
        entry.problem = tr("it has no start date (DTSTART)");
        return entry;
    }
    const icaltimetype when = icalproperty_get_dtstart(start);
    QDate date(when.year, when.month, when.day);
    if (!icaltime_is_date(when) && icaltime_is_utc(when) && date.isValid())
        date = QDateTime(date, QTime(when.hour, when.minute, when.second), QTimeZone::utc())
                   .toLocalTime()
                   .date();
    entry.date = date;
    if (!date.isValid() || date.year() < 1 || date.year() > 9999) {
        entry.problem = tr("its start date is no day of the calendar");
        return entry;
    }
    if (entry.text.isEmpty()) {
        entry.problem = tr("it has no title (SUMMARY)");
        return entry;
    }
    if (countOf(event, ICAL_RECURRENCEID_PROPERTY) > 0) {
        entry.problem = tr("it changes one day of another event");
        return entry;
    }
    if (countOf(event, ICAL_EXDATE_PROPERTY) + countOf(event, ICAL_RDATE_PROPERTY) +
            countOf(event, ICAL_EXRULE_PROPERTY) >
        0) {
        entry.problem = tr("its days have exceptions (EXDATE, RDATE), which a reminder cannot "
                           "keep");
        return entry;
    }
    const int rules = countOf(event, ICAL_RRULE_PROPERTY);
    if (rules > 1) {
        entry.problem = tr("it has more than one rule (RRULE)");
        return entry;
    }
    if (rules == 1) {
        icalproperty* rrule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
        const icalrecurrencetype rule = icalproperty_get_rrule(rrule);
        entry.frequency = frequencyOf(rule, date);
        if (entry.frequency == 0) {
            // The _r form allocates its own copy; the other keeps it in the library's ring.
            char* text = icalproperty_get_value_as_string_r(rrule);
            entry.problem = tr("a reminder cannot repeat as \"%1\" does")
                                .arg(QString::fromUtf8(text ? text : "").left(80));
            icalmemory_free_buffer(text);
            return entry;
        }
    }
    const char* description = icalcomponent_get_description(event);
    entry.showYears = description && QString::fromUtf8(description) ==
                                         QStringLiteral("Years since %1").arg(date.year());
    return entry;
}

} // namespace

bool readICalendar(QByteArrayView data, std::vector<ImportEntry>* entries) {
    // The library's own default stops the program on a malformed value.
    icalerror_set_errors_are_fatal(0);
    const QByteArray text = data.toByteArray(); // the parser reads up to a NUL
    const std::unique_ptr<icalcomponent, ComponentFree> root(
        icalparser_parse_string(text.constData()));
    if (!root)
        return false;
    std::vector<icalcomponent*> calendars;
    if (icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT) {
        calendars.push_back(root.get());
    } else {
        for (icalcomponent* c =
                 icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT);
             c; c = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT))
            calendars.push_back(c);
    }
    int number = 0;
    for (icalcomponent* calendar : calendars) {
        for (icalcomponent* event =
                 icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
             event; event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT))
            entries->push_back(readEvent(event, ++number));
    }
    return !calendars.empty();
}

} // namespace nudgewell
