// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"

#include "platform/desktop_integration.h"
#include "platform/file_system.h"
#include "platform/message_boxes.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>

namespace nudgewell {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("command_line", text);
}

QString usage() {
    return tr("Usage: nudgewell [OPTION]...\n"
              "Keeps dated reminders and shows, at every start, those that fall today and on\n"
              "the next days.\n"
              "\n"
              "  --user-data          work in the per-user data folder, $XDG_DATA_HOME/Nudgewell\n"
              "                       (normally ~/.local/share/Nudgewell), created when missing,\n"
              "                       instead of the folder Nudgewell is started in; the\n"
              "                       desktop's launcher starts it this way\n"
              "  --install-autostart  start Nudgewell with --user-data at every log-in: writes\n"
              "                       ~/.config/autostart/nudgewell.desktop, then exits\n"
              "  --remove-autostart   no longer start it at log-in: removes that file, then exits\n"
              "  --import FILE...     add the birthdays and anniversaries of address books\n"
              "                       (vCard, .vcf) and the events of calendars (iCalendar,\n"
              "                       .ics), then exit; a copy of Nudgewell running in the\n"
              "                       folder adds them itself. Exit status 1 when a file\n"
              "                       could not be read\n"
              "  -h, --help           print this help and exit\n"
              "  --version            print the version and exit\n"
              "\n"
              "Without --user-data the reminders (reminder.dat) and the start-up log\n"
              "(startup.dat) are kept in the folder Nudgewell is started in. The preferences\n"
              "are in ~/.config/Quorvane Software/Nudgewell.conf. With \"Start Nudgewell always\n"
              "minimized\" ticked in Options, a start at log-in stays out of the way.\n"
              "Qt's own options, such as -platform or -style, are passed on to Qt.\n"
              "\n"
              "Exit status: 0 when done, 1 when a file or folder cannot be written or\n"
              "start-up fails, 2 for a wrong option.\n");
}

// False when the text could not be written whole (a closed pipe, a full disk).
bool say(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    return std::fwrite(bytes.constData(), 1, bytes.size(), stream) == size_t(bytes.size()) &&
           std::fflush(stream) == 0;
}

int complain(const QString& text) {
    say(stderr, QStringLiteral("nudgewell: %1\n").arg(text));
    return 1;
}

} // namespace

CommandLine CommandLine::read(const QStringList& arguments) {
    CommandLine result;
    bool help = false;
    bool version = false;
    bool install = false;
    bool remove = false;
    bool importing = false;
    // A word after one of Qt's options (-platform offscreen) is that option's value.
    bool afterQtOption = false;
    for (const QString& argument : arguments) {
        const bool qtOption = argument.size() > 1 && argument.startsWith(QLatin1Char('-')) &&
                              !argument.startsWith(QLatin1String("--")) &&
                              argument != QLatin1String("-h");
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
            help = true;
        else if (argument == QLatin1String("--version"))
            version = true;
        else if (argument == QLatin1String("--user-data"))
            result.userData = true;
        else if (argument == QLatin1String("--install-autostart"))
            install = true;
        else if (argument == QLatin1String("--remove-autostart"))
            remove = true;
        else if (argument == QLatin1String("--import"))
            importing = true;
        else if (importing && !argument.startsWith(QLatin1Char('-')) && !afterQtOption)
            result.importFiles << argument;
        else if (argument.startsWith(QLatin1String("--")) && result.problem.isEmpty())
            result.problem = tr("unrecognized option '%1'").arg(argument);
        else if (!qtOption && !afterQtOption && result.problem.isEmpty())
            result.problem = tr("unexpected argument '%1'").arg(argument);
        afterQtOption = qtOption;
    }
    if (install && remove && result.problem.isEmpty())
        result.problem = tr("--install-autostart and --remove-autostart exclude each other");
    if (importing && (install || remove) && result.problem.isEmpty())
        result.problem = tr("--import goes with neither --install-autostart nor "
                            "--remove-autostart");
    if (importing && result.importFiles.isEmpty() && result.problem.isEmpty())
        result.problem = tr("--import needs at least one file");

    using enum Action;
    result.action = help                        ? Help
                    : version                   ? Version
                    : !result.problem.isEmpty() ? Wrong
                    : install                   ? InstallAutostart
                    : remove                    ? RemoveAutostart
                    : importing                 ? Import
                                                : Start;
    return result;
}

CommandLine CommandLine::read(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return read(arguments);
}

int answerOnTerminal(const CommandLine& commandLine, int argc, char* argv[]) {
    return answerOnTerminal(commandLine, argc, argv, FileSystem::real());
}

int answerOnTerminal(const CommandLine& commandLine, int argc, char* argv[], FileSystem& files) {
    switch (commandLine.action) {
    case CommandLine::Action::Start:
        return 0;
    case CommandLine::Action::Help:
        return say(stdout, usage()) ? 0 : 1;
    case CommandLine::Action::Version:
        return say(stdout, QStringLiteral("nudgewell %1\n").arg(QStringLiteral(NUDGEWELL_VERSION)))
                   ? 0
                   : 1;
    case CommandLine::Action::Wrong:
        say(stderr,
            QStringLiteral("nudgewell: %1 (%2)\n").arg(commandLine.problem, tr("try --help")));
        return 2;
    case CommandLine::Action::InstallAutostart: {
        // For the program's own path, which the entry names in full: the session that reads
        // it at log-in may not have the install folder on its PATH.
        std::unique_ptr<QCoreApplication> core;
        if (!QCoreApplication::instance())
            core = std::make_unique<QCoreApplication>(argc, argv);
        const QString entry = autostartEntryPath();
        QString error;
        if (!installAutostart(files, entry, QCoreApplication::applicationFilePath(), &error))
            return complain(tr("Nudgewell was not set to start at log-in.\n%1").arg(error));
        // In place, but not yet safe on the disk: said, and not counted as done.
        if (!error.isEmpty())
            return complain(tr("Nudgewell will start at every log-in, but the folder could not "
                               "be written to disk; a power cut now could undo it.\n%1")
                                .arg(error));
        say(stdout, tr("Nudgewell will start at every log-in: %1 starts %2 --user-data.\n"
                       "Tick \"Start Nudgewell always minimized\" in Options to have it start "
                       "out of the way.\n")
                        .arg(entry, QCoreApplication::applicationFilePath()));
        return 0;
    }
    case CommandLine::Action::Import:
        return runImport(commandLine, argc, argv);
    case CommandLine::Action::RemoveAutostart: {
        const QString entry = autostartEntryPath();
        QString error;
        switch (removeAutostart(files, entry, &error)) {
        case RemoveOutcome::Removed:
            say(stdout,
                tr("Nudgewell will no longer start at log-in: %1 is removed.\n").arg(entry));
            return 0;
        case RemoveOutcome::WasNotThere:
            say(stdout,
                tr("Nudgewell was not set to start at log-in: there is no %1.\n").arg(entry));
            return 0;
        case RemoveOutcome::Failed:
            return complain(tr("Nudgewell was not kept from starting at log-in.\n%1").arg(error));
        }
        break;
    }
    }
    return 1;
}

bool enterUserDataFolderOrSay() {
    QString error;
    if (enterFolder(userDataFolder(), &error))
        return true;
    complain(error);
    QtMessageBoxes().showMessage(nullptr, QStringLiteral("Nudgewell"),
                                 tr("Nudgewell cannot start in its data folder.\n%1").arg(error),
                                 MessageBoxes::Icon::Warning);
    return false;
}

} // namespace nudgewell
