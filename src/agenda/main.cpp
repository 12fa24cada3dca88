// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/agenda.h"
#include "data/settings.h"
#include "platform/clock.h"

#include <QDir>
#include <QFile>

// No QCoreApplication: the agenda needs no event loop, and a terminal tool should start fast.
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
    const nudgewell::SettingsStore settings;
    return nudgewell::runAgenda(arguments, clock, settings, QDir::currentPath(), out, err);
}
