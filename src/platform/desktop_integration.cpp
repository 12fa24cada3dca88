// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop_integration.h"

#include "platform/file_replace.h"
#include "platform/file_system.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace nudgewell {

namespace {

// Where settings looks too. Qt 6.4 takes a relative XDG_*_HOME as it stands, which the XDG
// rule says to ignore: a folder relative to wherever the program was started is no home.
QString baseFolder(QStandardPaths::StandardLocation location, const char* fallback) {
    const QString found = QStandardPaths::writableLocation(location);
    if (QDir::isAbsolutePath(found))
        return QDir::cleanPath(found);
    return QDir::cleanPath(QDir::homePath() + QLatin1Char('/') + QLatin1String(fallback));
}

QString systemReason() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// mkdir -p with mode 0700 for each folder it creates.
bool makeFolder(const QString& folder, QString* error) {
    const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
    const QStringList parts = clean.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString path;
    for (const QString& part : parts) {
        path += QLatin1Char('/') + part;
        const QByteArray native = QFile::encodeName(path);
        struct stat info {};
        // Existing folders are only looked at: a parent may be one we could not create.
        if (::stat(native.constData(), &info) == 0) {
            if (S_ISDIR(info.st_mode))
                continue;
            errno = ENOTDIR;
        } else if (::mkdir(native.constData(), 0700) == 0 || errno == EEXIST) {
            continue;
        }
        *error = QObject::tr("Cannot create the folder %1: %2").arg(path, systemReason());
        return false;
    }
    return true;
}

// Arguments with any of these are put in double quotes.
bool needsQuotes(const QString& word) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    if (word.isEmpty())
        return true;
    for (const QChar c : word) {
        if (reserved.contains(c))
            return true;
    }
    return false;
}

QString quoteWord(const QString& word) {
    QString quoted;
    if (!needsQuotes(word)) {
        quoted = word;
    } else {
        quoted = QStringLiteral("\"");
        for (const QChar c : word) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        quoted += QLatin1Char('"');
    }
    // A lone % would be read as a field code.
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return quoted;
}

// The string-value escapes, which a reader undoes before the quoting.
QString escapeValue(const QString& text) {
    QString escaped;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            escaped += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            escaped += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            escaped += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            escaped += QStringLiteral("\\r");
        else
            escaped += c;
    }
    return escaped;
}

} // namespace

QString userDataFolder() {
    return baseFolder(QStandardPaths::GenericDataLocation, ".local/share") +
           QStringLiteral("/Nudgewell");
}

QString autostartEntryPath() {
    return baseFolder(QStandardPaths::GenericConfigLocation, ".config") +
           QStringLiteral("/autostart/nudgewell.desktop");
}

bool enterFolder(const QString& folder, QString* error) {
    if (!makeFolder(folder, error))
        return false;
    if (::chdir(QFile::encodeName(folder).constData()) != 0) {
        *error = QObject::tr("Cannot work in the folder %1: %2").arg(folder, systemReason());
        return false;
    }
    return true;
}

QString desktopExec(const QString& program, const QStringList& arguments) {
    QStringList words{quoteWord(program)};
    for (const QString& argument : arguments)
        words << quoteWord(argument);
    return escapeValue(words.join(QLatin1Char(' ')));
}

QByteArray autostartEntry(const QString& program) {
    const QString text =
        QStringLiteral("[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=Nudgewell\n"
                       "Comment=Show the reminders for today and the days ahead at log-in\n"
                       "Exec=%1\n"
                       "Icon=nudgewell\n"
                       "Terminal=false\n"
                       "X-GNOME-Autostart-enabled=true\n")
            .arg(desktopExec(program, {QStringLiteral("--user-data")}));
    return text.toUtf8();
}

bool installAutostart(FileSystem& files, const QString& entryPath, const QString& program,
                      QString* error) {
    error->clear();
    if (!makeFolder(QFileInfo(entryPath).absolutePath(), error))
        return false;
    // The temporary name does not end in .desktop, so a session starting meanwhile skips it.
    const ReplaceOutcome outcome = replaceFile(files, entryPath, entryPath + QStringLiteral(".tmp"),
                                               autostartEntry(program), error);
    return outcome != ReplaceOutcome::Failed;
}

RemoveOutcome removeAutostart(FileSystem& files, const QString& entryPath, QString* error) {
    if (!QFileInfo::exists(entryPath) && !QFileInfo(entryPath).isSymLink())
        return RemoveOutcome::WasNotThere;
    return files.remove(entryPath, error) ? RemoveOutcome::Removed : RemoveOutcome::Failed;
}

} // namespace nudgewell
