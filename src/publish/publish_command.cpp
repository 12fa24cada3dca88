// SPDX-License-Identifier: GPL-3.0-or-later
#include "publish/publish_command.h"

#include "data/settings.h"
#include "platform/clock.h"
#include "publish/publish_run.h"
#include "publish/publisher.h"
#include "publish/secret_store.h"

#include <QEventLoop>
#include <QFile>
#include <QIODevice>

#include <termios.h>
#include <unistd.h>

namespace nudgewell {

namespace {

int say(QIODevice& device, int status, const QString& text) {
    QString line = QStringLiteral("nudgewell-agenda: ") + text;
    for (QChar& c : line) {
        if (c.category() == QChar::Other_Control)
            c = u'?';
    }
    device.write((line + u'\n').toUtf8());
    return status;
}

// Runs `start` and the event loop until it calls the function it is given.
template <typename Result, typename Start> Result waitFor(Start start) {
    QEventLoop loop;
    Result result{};
    start([&](Result value) {
        result = std::move(value);
        loop.quit();
    });
    loop.exec();
    return result;
}

int setUp(const PublishCommand& command, SettingsStore& settings, SecretStore& secrets,
          QIODevice& out, QIODevice& err, const PasswordPrompt& prompt) {
    const QUrl url(command.url, QUrl::StrictMode);
    if (const QString refused = refusedCalendarUrl(url); !refused.isEmpty())
        return say(err, 2, refused);
    const std::optional<QString> password =
        prompt(QStringLiteral("Password for %1 at %2: ").arg(command.user, url.host()));
    if (!password)
        return say(err, 1, QStringLiteral("no password was given"));

    CalendarPublisher publisher;
    const QString failure = waitFor<QString>([&](auto done) {
        QObject::connect(&publisher, &CalendarPublisher::finished,
                         [done](bool, const QString& reason) { done(reason); });
        publisher.check({url, command.user, *password});
    });
    if (!failure.isEmpty())
        return say(err, 1, failure);

    const QString oldUrl = settings.get(keys::PublishUrl);
    const QString oldUser = settings.get(keys::PublishUser);
    const QString key = SecretStore::keyFor(command.url, command.user);
    QString error = waitFor<QString>(
        [&](auto done) { secrets.write(key, *password, [done](const QString& e) { done(e); }); });
    if (!error.isEmpty())
        return say(err, 1, error);
    if (!settings.save({{keys::PublishUrl, command.url}, {keys::PublishUser, command.user}},
                       &error)) {
        waitFor<QString>(
            [&](auto done) { secrets.remove(key, [done](const QString& e) { done(e); }); });
        return say(err, 1, QStringLiteral("cannot store the settings: %1").arg(error));
    }
    // The password of a calendar set up before is of no more use.
    if (!oldUrl.isEmpty() && SecretStore::keyFor(oldUrl, oldUser) != key)
        waitFor<QString>([&](auto done) {
            secrets.remove(SecretStore::keyFor(oldUrl, oldUser),
                           [done](const QString& e) { done(e); });
        });
    return say(out, 0,
               QStringLiteral("the reminders will go to %1; --publish fills the calendar now")
                   .arg(url.toDisplayString()));
}

int turnOff(SettingsStore& settings, SecretStore& secrets, QIODevice& err) {
    const QString url = settings.get(keys::PublishUrl);
    const QString user = settings.get(keys::PublishUser);
    if (url.isEmpty() && user.isEmpty())
        return 0;
    QString error;
    if (!settings.save({{keys::PublishUrl, QString()}, {keys::PublishUser, QString()}}, &error))
        return say(err, 1, QStringLiteral("cannot store the settings: %1").arg(error));
    QFile::remove(calendarCacheFile(settings));
    error = waitFor<QString>([&](auto done) {
        secrets.remove(SecretStore::keyFor(url, user), [done](const QString& e) { done(e); });
    });
    return error.isEmpty() ? 0 : say(err, 1, error);
}

int publishNow(const PublishCommand& command, SettingsStore& settings, SecretStore& secrets,
               const Clock& clock, QIODevice& err) {
    if (settings.get(keys::PublishUrl).isEmpty())
        return say(err, 1,
                   QStringLiteral("no calendar is set up; use --publish-to URL --user NAME"));
    CalendarPublisher publisher;
    const PublishResult result = waitFor<PublishResult>([&](auto done) {
        publishReminders(publisher, secrets, settings, command.reminderFile,
                         regionalDateOrder(clock.locale()), clock.now(), done);
    });
    if (result.unreadableDates > 0)
        say(err, 0,
            QStringLiteral("left out %1 reminder(s) with an unreadable date")
                .arg(result.unreadableDates));
    return result.ok ? 0 : say(err, 1, result.reason);
}

} // namespace

int runPublishCommand(const PublishCommand& command, SettingsStore& settings, SecretStore& secrets,
                      const Clock& clock, QIODevice& out, QIODevice& err,
                      const PasswordPrompt& prompt) {
    if (!settings.readError().isEmpty())
        return say(err, 1, settings.readError());
    switch (command.action) {
    case PublishCommand::Action::SetUp:
        return setUp(command, settings, secrets, out, err, prompt);
    case PublishCommand::Action::Off:
        return turnOff(settings, secrets, err);
    case PublishCommand::Action::Run:
        break;
    }
    return publishNow(command, settings, secrets, clock, err);
}

std::optional<QString> readPassword(const QString& prompt) {
    termios saved{};
    const bool terminal = isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        const QByteArray text = prompt.toLocal8Bit();
        if (::write(STDERR_FILENO, text.data(), size_t(text.size())) < 0)
            return std::nullopt;
        termios silent = saved;
        silent.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
    }
    // Byte by byte, so that nothing after the line is taken from standard input.
    QByteArray line;
    char c = 0;
    bool complete = false;
    while (::read(STDIN_FILENO, &c, 1) == 1) {
        if (c == '\n') {
            complete = true;
            break;
        }
        line += c;
    }
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        if (::write(STDERR_FILENO, "\n", 1) < 0) {
            // The prompt's line stays open; the password was read all the same.
        }
    }
    if (line.endsWith('\r'))
        line.chop(1);
    if (!complete && line.isEmpty())
        return std::nullopt;
    return QString::fromLocal8Bit(line);
}

} // namespace nudgewell
