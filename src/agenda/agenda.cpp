// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/agenda.h"
#include "agenda/ical.h"

#include "data/reminder_reader.h"
#include "data/settings.h"
#include "data/view_lines.h"
#include "platform/clock.h"

#include <QCommandLineParser>
#include <QDir>
#include <QIODevice>
#include <QRegularExpression>

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
    "  --publish-to URL --user NAME\n"
    "               mirror the reminders into the CalDAV calendar at URL: asks for the\n"
    "               password (one line from standard input when it is no terminal),\n"
    "               checks the calendar, and keeps the password in the desktop's secret\n"
    "               store; https only, unless URL is a loopback address\n"
    "  --publish    make that calendar match the reminder file now\n"
    "  --publish-off  forget the calendar and its password\n"
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
    "With --publish, each reminder becomes the same event in the calendar, with an\n"
    "alarm at 09:00 on its day; events of other programs are left alone, and edits made\n"
    "in the calendar to our events are written over. Nudgewell, once set up, does the\n"
    "same after every change and at start.\n"
    "\n"
    "Nothing is written but the publishing settings: the reminder file is only read.\n"
    "Exit status: 0 when the lines or the calendar were written (none is fine), 1 when\n"
    "they cannot be written or the calendar does not match, 2 for a bad option or an\n"
    "unreadable file.\n";

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

// GNU style: "--days N" and "--days=N" alike. On failure *error holds the one-line reason.
std::optional<AgendaOptions> parseAgendaOptions(const QStringList& arguments, QString* error) {
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption all(QStringLiteral("all"));
    const QCommandLineOption ical(QStringLiteral("ical"));
    const QCommandLineOption days(QStringLiteral("days"), {}, QStringLiteral("N"));
    const QCommandLineOption file(QStringLiteral("file"), {}, QStringLiteral("PATH"));
    const QCommandLineOption publishTo(QStringLiteral("publish-to"), {}, QStringLiteral("URL"));
    const QCommandLineOption user(QStringLiteral("user"), {}, QStringLiteral("NAME"));
    const QCommandLineOption publishOff(QStringLiteral("publish-off"));
    const QCommandLineOption publish(QStringLiteral("publish"));
    QCommandLineParser parser;
    parser.addOptions({help, version, all, ical, days, file, publishTo, user, publishOff, publish});
    if (!parser.parse(QStringList{kProgram} + arguments)) {
        if (!parser.unknownOptionNames().isEmpty()) {
            const QString name = parser.unknownOptionNames().front();
            *error = QStringLiteral("unrecognized option '%1%2' (try --help)")
                         .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name);
            return std::nullopt;
        }
        // The parser's own words for a missing or an unexpected value, in ours.
        static const QRegularExpression valueProblem(
            QStringLiteral("^(Missing|Unexpected) value after '(.*)'\\.$"));
        const QRegularExpressionMatch match = valueProblem.match(parser.errorText());
        *error = !match.hasMatch() ? parser.errorText()
                 : match.captured(1) == u"Missing"
                     ? QStringLiteral("option '%1' needs a value").arg(match.captured(2))
                     : QStringLiteral("option '%1' takes no value").arg(match.captured(2));
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error = QStringLiteral("unexpected argument '%1' (try --help)")
                     .arg(parser.positionalArguments().front());
        return std::nullopt;
    }

    AgendaOptions options;
    options.help = parser.isSet(help);
    options.version = parser.isSet(version);
    options.all = parser.isSet(all);
    options.ical = parser.isSet(ical);
    if (parser.isSet(file)) {
        options.file = parser.value(file);
        if (options.file.isEmpty()) {
            *error = QStringLiteral("option '--file' needs a file name");
            return std::nullopt;
        }
    }
    if (parser.isSet(days)) {
        options.days = parseDays(parser.value(days));
        if (!options.days) {
            *error = QStringLiteral("invalid number of days '%1' (a whole number from 0 to 366)")
                         .arg(parser.value(days));
            return std::nullopt;
        }
    }
    // The calendar holds every reminder on every day: a day count or the all list has no
    // meaning there.
    if (options.ical && (options.all || options.days)) {
        *error = QStringLiteral("option '--ical' cannot be combined with '%1'")
                     .arg(options.all ? QStringLiteral("--all") : QStringLiteral("--days"));
        return std::nullopt;
    }

    // One publishing action at a time, and none with the lists.
    const int actions =
        int(parser.isSet(publishTo)) + int(parser.isSet(publishOff)) + int(parser.isSet(publish));
    if (actions > 1 || (actions == 1 && (options.all || options.ical || options.days))) {
        *error = QStringLiteral("--publish-to, --publish-off and --publish go alone (with "
                                "--file for --publish)");
        return std::nullopt;
    }
    if (parser.isSet(publishTo) != parser.isSet(user) ||
        (parser.isSet(user) && parser.value(user).isEmpty())) {
        *error = QStringLiteral("--publish-to URL needs --user NAME, and --user goes with "
                                "--publish-to");
        return std::nullopt;
    }
    if (parser.isSet(file) && actions == 1 && !parser.isSet(publish)) {
        *error = QStringLiteral("option '--file' goes with --publish only");
        return std::nullopt;
    }
    options.publish = parser.isSet(publishTo)    ? AgendaOptions::Publish::SetUp
                      : parser.isSet(publishOff) ? AgendaOptions::Publish::Off
                      : parser.isSet(publish)    ? AgendaOptions::Publish::Run
                                                 : AgendaOptions::Publish::None;
    options.publishUrl = parser.value(publishTo);
    options.publishUser = parser.value(user);
    return options;
}

int runAgenda(const QStringList& arguments, const Clock& clock, const SettingsStore& settings,
              const QString& directory, QIODevice& out, QIODevice& err) {
    QString error;
    const std::optional<AgendaOptions> options = parseAgendaOptions(arguments, &error);
    if (!options)
        return fail(err, 2, error);
    if (options->publish != AgendaOptions::Publish::None) // the program's main runs these
        return fail(err, 2, QStringLiteral("publishing needs the event loop"));
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
