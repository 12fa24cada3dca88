// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/agenda.h"
#include "agenda/ical.h"

#include "data/reminder_reader.h"
#include "data/settings.h"
#include "data/view_lines.h"
#include "platform/clock.h"

#include <QDir>
#include <QIODevice>

#include <optional>

namespace nudgewell {

namespace {

const QString kProgram = QStringLiteral("nudgewell-agenda");

const char kUsage[] =
    "Usage: nudgewell-agenda [OPTION]...\n"
    "Print the reminders that fall on today and the next days, one line per occurrence,\n"
    "as the upcoming list of Nudgewell shows them.\n"
    "\n"
    "  --days N     look N days ahead (0 to 366) instead of the \"Days Checked\" setting\n"
    "  --all        print every stored reminder, sorted, as the all list shows them\n"
    "  --ical       write every reminder as an iCalendar (RFC 5545) file instead\n"
    "  --file PATH  read PATH instead of reminder.dat in the working directory\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and exit\n"
    "\n"
    "With --ical, each reminder becomes one all-day event from its stored date on,\n"
    "repeating on the days the upcoming list shows it: weekly on its weekday, monthly\n"
    "on its day (the 31st only in months that have one), yearly on its month and day\n"
    "(29 February only in leap years). The list also shows a repeating reminder before\n"
    "its stored date, so a yearly reminder dated next year appears this year there but\n"
    "not in the calendar. An event's UID follows the reminder's text, years flag,\n"
    "frequency and date: a subscribed calendar keeps the events of unchanged reminders,\n"
    "and a changed reminder replaces its event. Reminders with an unreadable date are\n"
    "left out and counted on standard error. For example\n"
    "  nudgewell-agenda --ical > reminders.ics\n"
    "then import reminders.ics into a calendar, or subscribe to it.\n"
    "\n"
    "Nothing is written: the reminder file and the settings are only read.\n"
    "Exit status: 0 when the lines or the calendar were written (none is fine), 1 when\n"
    "they cannot be written, 2 for a bad option or an unreadable file.\n";

struct Options {
    bool help = false;
    bool version = false;
    bool all = false;
    bool ical = false;
    std::optional<int> days;
    QString file;
};

// A whole number of days in decimal digits only, so that "+5", " 5" and "5x" are refused.
std::optional<int> parseDays(const QString& text) {
    if (text.isEmpty())
        return std::nullopt;
    int days = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        days = days * 10 + (c.unicode() - u'0');
        if (days > 366)
            return std::nullopt;
    }
    return days;
}

// GNU style: "--days N" and "--days=N" alike. On failure *error holds the one-line reason.
std::optional<Options> parseArguments(const QStringList& arguments, QString* error) {
    Options options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        QString name = argument;
        std::optional<QString> value;
        if (argument.startsWith(QLatin1String("--"))) {
            const qsizetype equals = argument.indexOf(u'=');
            if (equals > 0) {
                name = argument.left(equals);
                value = argument.mid(equals + 1);
            }
        }
        const bool takesValue = name == QLatin1String("--days") || name == QLatin1String("--file");
        bool* flag = name == QLatin1String("--help") || name == QLatin1String("-h") ? &options.help
                     : name == QLatin1String("--version") ? &options.version
                     : name == QLatin1String("--all")     ? &options.all
                     : name == QLatin1String("--ical")    ? &options.ical
                                                          : nullptr;
        if (!takesValue && !flag) {
            *error = argument.startsWith(u'-')
                         ? QStringLiteral("unrecognized option '%1' (try --help)").arg(argument)
                         : QStringLiteral("unexpected argument '%1' (try --help)").arg(argument);
            return std::nullopt;
        }
        if (flag) {
            if (value) {
                *error = QStringLiteral("option '%1' takes no value").arg(name);
                return std::nullopt;
            }
            *flag = true;
            continue;
        }
        if (!value) {
            if (i + 1 >= arguments.size()) {
                *error = QStringLiteral("option '%1' needs a value").arg(name);
                return std::nullopt;
            }
            value = arguments[++i];
        }
        if (name == QLatin1String("--file")) {
            if (value->isEmpty()) {
                *error = QStringLiteral("option '--file' needs a file name");
                return std::nullopt;
            }
            options.file = *value;
        } else {
            options.days = parseDays(*value);
            if (!options.days) {
                *error = QStringLiteral("invalid number of days '%1' (a whole number from 0 "
                                        "to 366)")
                             .arg(*value);
                return std::nullopt;
            }
        }
    }
    // The calendar holds every reminder on every day: a day count or the all list has no
    // meaning there.
    if (options.ical && (options.all || options.days)) {
        *error = QStringLiteral("option '--ical' cannot be combined with '%1'")
                     .arg(options.all ? QStringLiteral("--all") : QStringLiteral("--days"));
        return std::nullopt;
    }
    return options;
}

bool writeAll(QIODevice& device, const QByteArray& bytes) {
    return device.write(bytes) == bytes.size();
}

int fail(QIODevice& err, int status, const QString& reason) {
    QString line = kProgram + QStringLiteral(": ") + reason;
    // An option or a path may hold a line break; the message stays one line.
    for (QChar& c : line) {
        if (c.category() == QChar::Other_Control)
            c = u'?';
    }
    writeAll(err, (line + u'\n').toUtf8());
    return status;
}

int failedWrite(const QIODevice& out, QIODevice& err) {
    return fail(err, 1, QStringLiteral("cannot write the output: %1").arg(out.errorString()));
}

} // namespace

int runAgenda(const QStringList& arguments, const Clock& clock, const SettingsStore& settings,
              const QString& directory, QIODevice& out, QIODevice& err) {
    QString error;
    const std::optional<Options> options = parseArguments(arguments, &error);
    if (!options)
        return fail(err, 2, error);
    if (options->help || options->version) {
        const QByteArray text =
            options->help ? QByteArray(kUsage)
                          : (kProgram + QStringLiteral(" " NUDGEWELL_VERSION "\n")).toUtf8();
        return writeAll(out, text) ? 0 : failedWrite(out, err);
    }

    const QString path = options->file.isEmpty()
                             ? QDir(directory).absoluteFilePath(QStringLiteral("reminder.dat"))
                             : options->file;
    ReminderFileReader file;
    if (!file.open(path, &error))
        return fail(err, 2, QStringLiteral("cannot read %1: %2").arg(path, error));
    const std::span<const ReminderRecord> records = file.records();

    if (options->ical) {
        ICalendarCounts counts;
        if (!writeICalendar(records, regionalDateOrder(clock.locale()), clock.now(), out, &counts))
            return failedWrite(out, err);
        const auto leftOut = [&](int count, const char* why) {
            if (count > 0)
                writeAll(err, QStringLiteral("%1: left out %2 %3 with %4\n")
                                  .arg(kProgram)
                                  .arg(count)
                                  .arg(count == 1 ? "reminder" : "reminders", why)
                                  .toUtf8());
        };
        leftOut(counts.unreadableDates, "an unreadable date");
        leftOut(counts.unknownFrequencies, "an unknown frequency");
        return 0;
    }

    // The same settings, defaults and builders as the window's views.
    const ViewContext context = ViewContext::make(
        clock.today(), DateOrderFromSetting(settings.get(keys::CalendarFormat), clock.locale()),
        clock.locale());
    const int days = options->days.value_or(daysCheckedOrDefault(settings.get(keys::DaysChecked)));

    // Converted and written in slices: one UTF-8 copy of a whole large list would only add to
    // its memory. The upcoming lines are not even kept: each is built where the last one was.
    constexpr qsizetype kSlice = 32 * 1024;
    QString text;
    text.reserve(kSlice + 1024);
    bool written = true;
    const auto take = [&](const QString& line) {
        text += line;
        text += u'\n';
        if (text.size() >= kSlice && written) {
            written = writeAll(out, text.toUtf8());
            text.resize(0);
        }
    };
    if (options->all) {
        for (const ListLine& line : buildAllLines(records, context))
            take(line.text);
    } else {
        forEachUpcoming(records, context, days, true,
                        [&](const UpcomingLine& line) { take(line.text); });
    }
    if (written && !text.isEmpty())
        written = writeAll(out, text.toUtf8());
    return written ? 0 : failedWrite(out, err);
}

} // namespace nudgewell
