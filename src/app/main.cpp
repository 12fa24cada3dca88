// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"
#include "data/settings.h"
#include "main/main_window.h"
#include "main/start_notice_poster.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/help_viewer.h"
#include "platform/message_boxes.h"
#include "platform/notifier.h"
#include "platform/printer.h"
#include "platform/single_instance.h"
#include "platform/system_date.h"
#include "publish/background_publisher.h"
#include "publish/secret_store.h"
#include "resources/app_icon.h"
#include "ui/bring_to_front.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>

int main(int argc, char* argv[]) {
    const nudgewell::CommandLine commandLine = nudgewell::CommandLine::read(argc, argv);
    if (commandLine.action != nudgewell::CommandLine::Action::Start)
        return nudgewell::answerOnTerminal(commandLine, argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nudgewell"));
    QApplication::setOrganizationName(QStringLiteral("Quorvane Software"));
    QApplication::setApplicationVersion(QStringLiteral(NUDGEWELL_VERSION));
    QApplication::setWindowIcon(nudgewell::applicationIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("nudgewell"));
    if (commandLine.userData && !nudgewell::enterUserDataFolderOrSay())
        return 1;

    // Before anything is read or written: a second copy in this folder only wakes the first.
    nudgewell::QtMessageBoxes messages;
    nudgewell::SingleInstance instance;
    QString note;
    const auto claim = instance.claim(QDir::currentPath(), &note);
    if (!note.isEmpty())
        QTextStream(stderr) << note << '\n';
    if (claim == nudgewell::SingleInstance::Claim::AnotherRuns) {
        if (note.isEmpty())
            return 0;
        // A start from the desktop has no terminal: the user must learn why no window came.
        messages.showMessage(nullptr, QStringLiteral("Nudgewell"), note,
                             nudgewell::MessageBoxes::Icon::Warning);
        return 1;
    }

    nudgewell::SystemClock clock;
    nudgewell::SettingsStore settings;
    nudgewell::QtHelpViewer help(messages);
    nudgewell::QtPrinter printer;
    nudgewell::QtClipboard clipboard;
    nudgewell::TimedateSystemDate systemDate;
    const nudgewell::Services services{
        clock,     settings,   messages,           help, nudgewell::FileSystem::real(), printer,
        clipboard, systemDate, QDir::currentPath()};

    nudgewell::DBusNotifier notifier;
    // Made before start-up logs this start: it notes the previous one.
    nudgewell::StartNoticePoster startNotice(services, notifier);
    nudgewell::MainWindow window(services);
    QObject::connect(&instance, &nudgewell::SingleInstance::raiseRequested, &window,
                     [&window] { nudgewell::bringToFront(window); });
    // nudgewell --import started while this copy runs: the import is done here.
    QObject::connect(&instance, &nudgewell::SingleInstance::asked, &window,
                     [&window](const QByteArray& request, const auto& answer) {
                         nudgewell::ImportReport report;
                         if (const auto paths = nudgewell::decodeImportRequest(request))
                             report = window.importFiles(*paths);
                         else
                             report.failure = QObject::tr("The request was not understood.");
                         answer(nudgewell::encodeImportReport(report));
                         nudgewell::bringToFront(window);
                     });
    if (!window.startUp())
        return 1;
    window.showAsStored();
    startNotice.post(&window);

    // The user's CalDAV calendar, when set up, mirrors the file: at start and after changes.
    nudgewell::KeychainSecretStore secrets;
    nudgewell::BackgroundPublisher publisher(
        settings, secrets, notifier, clock,
        QDir::current().absoluteFilePath(QStringLiteral("reminder.dat")));
    QObject::connect(&window, &nudgewell::MainWindow::recordsWritten, &publisher,
                     &nudgewell::BackgroundPublisher::request);
    publisher.request();
    return app.exec();
}
