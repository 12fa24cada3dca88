// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/agenda.h"
#include "data/settings.h"
#include "platform/clock.h"
#include "publish/publish_command.h"
#include "publish/secret_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    // Straight to the descriptors, so that a failed write is seen when it happens and not
    // lost in a buffer flushed at exit.
    QFile out;
    QFile err;
    if (!out.open(1, QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        !err.open(2, QIODevice::WriteOnly | QIODevice::Unbuffered))
        return 1;

    const nudgewell::SystemClock clock;
    QString ignored;
    const std::optional<nudgewell::AgendaOptions> options =
        nudgewell::parseAgendaOptions(arguments, &ignored);
    using Publish = nudgewell::AgendaOptions::Publish;
    if (!options || options->publish == Publish::None || options->help || options->version) {
        // No QCoreApplication: the agenda needs no event loop, and a terminal tool should
        // start fast.
        const nudgewell::SettingsStore settings;
        return nudgewell::runAgenda(arguments, clock, settings, QDir::currentPath(), out, err);
    }

    // The network and the secret store answer on the event loop.
    QCoreApplication app(argc, argv);
    nudgewell::SettingsStore settings;
    nudgewell::KeychainSecretStore secrets;
    const nudgewell::PublishCommand command{
        options->publish == Publish::SetUp ? nudgewell::PublishCommand::Action::SetUp
        : options->publish == Publish::Off ? nudgewell::PublishCommand::Action::Off
                                           : nudgewell::PublishCommand::Action::Run,
        options->publishUrl, options->publishUser,
        options->file.isEmpty() ? QDir::current().absoluteFilePath(QStringLiteral("reminder.dat"))
                                : options->file};
    return nudgewell::runPublishCommand(command, settings, secrets, clock, out, err,
                                        &nudgewell::readPassword);
}
