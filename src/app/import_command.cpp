// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"

#include "data/date_patterns.h"
#include "data/settings.h"
#include "import/importer.h"
#include "platform/desktop_integration.h"
#include "platform/single_instance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTextStream>

namespace nudgewell {

namespace {

void print(const ImportReport& report) {
    QTextStream err(stderr);
    for (const QString& line : report.problems)
        err << "nudgewell: " << line << '\n';
    if (!report.failure.isEmpty())
        err << "nudgewell: " << report.failure << '\n';
    err.flush();
    QTextStream(stdout) << report.summary() << '\n';
}

} // namespace

int runImport(const CommandLine& commandLine, int argc, char* argv[]) {
    const QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Nudgewell"));
    QCoreApplication::setOrganizationName(QStringLiteral("Quorvane Software"));
    // Named from where the command was given, before it moves to the data folder.
    QStringList paths;
    for (const QString& file : commandLine.importFiles)
        paths << QFileInfo(file).absoluteFilePath();
    QTextStream err(stderr);
    QString error;
    if (commandLine.userData && !enterFolder(userDataFolder(), &error)) {
        err << "nudgewell: " << error << '\n';
        return 1;
    }

    // Only one program writes the reminder file: a copy that runs here does the import.
    SingleInstance instance;
    QString note;
    const auto claim = instance.claim(QDir::currentPath(), &note);
    if (claim == SingleInstance::Claim::AnotherRuns) {
        QByteArray answer;
        std::optional<ImportReport> report;
        if (SingleInstance::ask(QDir::currentPath(), encodeImportRequest(paths), &answer, &note))
            report = decodeImportReport(answer);
        if (!report) {
            err << "nudgewell: " << (note.isEmpty() ? QStringLiteral("no answer") : note) << '\n';
            return 1;
        }
        print(*report);
        return report->exitStatus();
    }
    if (!note.isEmpty())
        err << note << '\n';
    err.flush();

    ReminderSession session(QDir::currentPath(), FileSystem::real());
    if (!session.open(&error)) {
        err << "nudgewell: " << error << '\n';
        return 1;
    }
    const SettingsStore settings;
    const QLocale locale = QLocale::system();
    const DateOrder writeOrder = DateOrderFromSetting(settings.get(keys::CalendarFormat), locale);
    const ImportReport report = importFiles(paths, session, writeOrder, regionalDateOrder(locale));
    print(report);
    return report.exitStatus();
}

} // namespace nudgewell
