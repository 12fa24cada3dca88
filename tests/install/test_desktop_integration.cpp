// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"
#include "platform/desktop_integration.h"
#include "resources/app_icon.h"

#include "fakes.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <sys/stat.h>

using namespace nudgewell;
using test::FailingFileSystem;

namespace {

QString modeOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return QStringLiteral("missing");
    return QString::number(info.st_mode & 0777, 8);
}

} // namespace

class TestDesktopIntegration : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_temporary = std::make_unique<QTemporaryDir>();
        QVERIFY(m_temporary->isValid());
        m_cwd = QDir::currentPath();
        m_home = qgetenv("HOME");
        m_data = qgetenv("XDG_DATA_HOME");
        m_config = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", QFile::encodeName(m_temporary->path()));
    }
    void cleanup() {
        QDir::setCurrent(m_cwd);
        qputenv("HOME", m_home);
        qputenv("XDG_DATA_HOME", m_data);
        qputenv("XDG_CONFIG_HOME", m_config);
    }

    void readsTheCommandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<CommandLine::Action>("action");
        QTest::addColumn<bool>("userData");
        using enum CommandLine::Action;
        QTest::newRow("nothing") << QStringList{} << Start << false;
        QTest::newRow("user data") << QStringList{"--user-data"} << Start << true;
        QTest::newRow("Qt's option and its value")
            << QStringList{"-platform", "offscreen", "--user-data"} << Start << true;
        QTest::newRow("a word after Qt's value")
            << QStringList{"-style", "fusion", "notes"} << Wrong << false;
        QTest::newRow("stray word") << QStringList{"reminder.dat"} << Wrong << false;
        QTest::newRow("unknown long option") << QStringList{"--userdata"} << Wrong << false;
        QTest::newRow("help wins over a wrong option")
            << QStringList{"--bogus", "-h"} << Help << false;
        QTest::newRow("version") << QStringList{"--version", "--user-data"} << Version << true;
        QTest::newRow("install") << QStringList{"--install-autostart"} << InstallAutostart << false;
        QTest::newRow("remove") << QStringList{"--remove-autostart"} << RemoveAutostart << false;
        QTest::newRow("install and remove")
            << QStringList{"--install-autostart", "--remove-autostart"} << Wrong << false;
        QTest::newRow("import") << QStringList{"--user-data", "--import",  "a.vcf",
                                               "-platform",   "offscreen", "b.ics"}
                                << Import << true;
        QTest::newRow("import without a file") << QStringList{"--import"} << Wrong << false;
        QTest::newRow("import and install")
            << QStringList{"--import", "a.vcf", "--install-autostart"} << Wrong << false;
    }
    void readsTheCommandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(CommandLine::Action, action);
        QFETCH(bool, userData);
        const CommandLine read = CommandLine::read(arguments);
        QCOMPARE(read.action, action);
        QCOMPARE(read.userData, userData);
        if (action == CommandLine::Action::Wrong)
            QVERIFY(!read.problem.isEmpty());
        if (action == CommandLine::Action::Import)
            QCOMPARE(read.importFiles, QStringList({"a.vcf", "b.ics"}));
    }

    // A launcher must get back exactly these words (Desktop Entry quoting, then the
    // string escapes on top).
    void quotesTheExecLine_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << "/usr/bin/nudgewell"
                               << "/usr/bin/nudgewell --user-data";
        QTest::newRow("space") << "/opt/my apps/nudgewell"
                               << "\"/opt/my apps/nudgewell\" --user-data";
        QTest::newRow("dollar") << "/home/a$b/nudgewell"
                                << "\"/home/a\\\\$b/nudgewell\" --user-data";
        QTest::newRow("double quote") << "/x/\"q\"/nudgewell"
                                      << "\"/x/\\\\\"q\\\\\"/nudgewell\" --user-data";
        QTest::newRow("backslash") << "/x\\y/nudgewell"
                                   << "\"/x\\\\\\\\y/nudgewell\" --user-data";
        QTest::newRow("percent") << "/x/100%/nudgewell"
                                 << "/x/100%%/nudgewell --user-data";
        QTest::newRow("percent and space") << "/x/50 %/nudgewell"
                                           << "\"/x/50 %%/nudgewell\" --user-data";
    }
    void quotesTheExecLine() {
        QFETCH(QString, program);
        QFETCH(QString, exec);
        QCOMPARE(desktopExec(program, {QStringLiteral("--user-data")}), exec);
    }

    void findsTheFolders_data() {
        QTest::addColumn<QByteArray>("variable");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("expected"); // ~ is the home folder
        QTest::newRow("data home")
            << QByteArray("XDG_DATA_HOME") << QByteArray("/srv/d/") << "/srv/d/Nudgewell";
        QTest::newRow("data home unset")
            << QByteArray("XDG_DATA_HOME") << QByteArray() << "~/.local/share/Nudgewell";
        QTest::newRow("relative data home ignored")
            << QByteArray("XDG_DATA_HOME") << QByteArray("data") << "~/.local/share/Nudgewell";
        QTest::newRow("config home") << QByteArray("XDG_CONFIG_HOME") << QByteArray("/srv/c")
                                     << "/srv/c/autostart/nudgewell.desktop";
        QTest::newRow("relative config home ignored")
            << QByteArray("XDG_CONFIG_HOME") << QByteArray("./c")
            << "~/.config/autostart/nudgewell.desktop";
    }
    void findsTheFolders() {
        QFETCH(QByteArray, variable);
        QFETCH(QByteArray, value);
        QFETCH(QString, expected);
        qputenv(variable.constData(), value);
        expected.replace(QLatin1Char('~'), m_temporary->path());
        QCOMPARE(variable == "XDG_DATA_HOME" ? userDataFolder() : autostartEntryPath(), expected);
    }

    void entersTheDataFolderCreatingItPrivate() {
        const QString existing = m_temporary->filePath(QStringLiteral("share"));
        QVERIFY(QDir().mkpath(existing));
        QVERIFY(QFile::setPermissions(existing, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                    QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                                    QFileDevice::ExeGroup));
        const QString folder = existing + QStringLiteral("/new/Nudgewell");
        QString error;
        QVERIFY2(enterFolder(folder, &error), qPrintable(error));
        QCOMPARE(QDir::currentPath(), folder);
        QCOMPARE(modeOf(folder), QStringLiteral("700"));
        QCOMPARE(modeOf(existing + QStringLiteral("/new")), QStringLiteral("700"));
        QCOMPARE(modeOf(existing), QStringLiteral("750"));        // not ours to change
        QVERIFY2(enterFolder(folder, &error), qPrintable(error)); // already there
    }

    void saysWhyTheDataFolderCannotBeEntered_data() {
        QTest::addColumn<QString>("folder"); // under a file named "file"
        QTest::newRow("a file in its place") << "file";
        QTest::newRow("a file as a parent") << "file/Nudgewell";
    }
    void saysWhyTheDataFolderCannotBeEntered() {
        QFETCH(QString, folder);
        test::writeFile(m_temporary->filePath(QStringLiteral("file")), "notes");
        const QString path = m_temporary->filePath(folder);
        QString error;
        QVERIFY(!enterFolder(path, &error));
        QVERIFY2(error.contains(m_temporary->filePath(QStringLiteral("file"))), qPrintable(error));
        QVERIFY2(error.contains(QStringLiteral("Not a directory")), qPrintable(error));
        QCOMPARE(QDir::currentPath(), m_cwd);
        QCOMPARE(test::readFile(m_temporary->filePath(QStringLiteral("file"))),
                 QByteArray("notes"));
    }

    // The entry is written as the settings are; each of those steps fails in test_write_paths.
    void keepsTheOldEntryWhenAStepFails() {
        const QString entry = m_temporary->filePath(QStringLiteral("nudgewell.desktop"));
        test::writeFile(entry, "[Desktop Entry]\nExec=/old/nudgewell --user-data\n");
        FailingFileSystem files;
        files.failAt = FailingFileSystem::Step::Rename;
        QString error;
        QVERIFY(!installAutostart(files, entry, QStringLiteral("/new/nudgewell"), &error));
        QVERIFY2(error.contains(QStringLiteral("injected failure")), qPrintable(error));
        QCOMPARE(test::readFile(entry),
                 QByteArray("[Desktop Entry]\nExec=/old/nudgewell --user-data\n"));
        QVERIFY(!QFileInfo::exists(entry + QStringLiteral(".tmp")));
    }

    // The exit status says whether the entry is in place and safe on the disk.
    void installExitStatus_data() {
        QTest::addColumn<FailingFileSystem::Step>("step");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("written");
        QTest::newRow("done") << FailingFileSystem::Step::None << 0 << true;
        QTest::newRow("in place, folder not flushed")
            << FailingFileSystem::Step::SyncDirectory << 1 << true;
        QTest::newRow("not done") << FailingFileSystem::Step::Rename << 1 << false;
    }
    void installExitStatus() {
        QFETCH(FailingFileSystem::Step, step);
        QFETCH(int, status);
        QFETCH(bool, written);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_temporary->filePath("config")));
        FailingFileSystem files;
        files.failAt = step;
        char name[] = "nudgewell";
        char* argv[] = {name, nullptr};
        QCOMPARE(
            answerOnTerminal(CommandLine::read(QStringList{"--install-autostart"}), 1, argv, files),
            status);
        QCOMPARE(QFileInfo::exists(m_temporary->filePath("config/autostart/nudgewell.desktop")),
                 written);
    }

    void saysWhenTheEntryCannotBeRemoved() {
        const QString entry = m_temporary->filePath(QStringLiteral("nudgewell.desktop"));
        test::writeFile(entry, "[Desktop Entry]\n");
        FailingFileSystem files;
        files.failAt = FailingFileSystem::Step::Remove;
        QString error;
        QCOMPARE(removeAutostart(files, entry, &error), RemoveOutcome::Failed);
        QVERIFY(!error.isEmpty());
        QVERIFY(QFileInfo::exists(entry));
    }

    // The window icon is the installed SVG itself, drawn from the linked-in resource.
    void drawsTheApplicationIconFromTheSvg() {
        const QImage image = applicationIcon().pixmap(64).toImage();
        QCOMPARE(image.width(), 64);
        QVERIFY(qAlpha(image.pixel(32, 32)) == 255); // the bell, drawn
        QVERIFY(qAlpha(image.pixel(0, 0)) == 0);     // the corner, left clear
    }

private:
    std::unique_ptr<QTemporaryDir> m_temporary;
    QString m_cwd;
    QByteArray m_home;
    QByteArray m_data;
    QByteArray m_config;
};

QTEST_MAIN(TestDesktopIntegration)
#include "test_desktop_integration.moc"
