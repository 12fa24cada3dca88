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
    // A home of its own for each test, and no XDG folders set.
    void init() {
        m_temporary = std::make_unique<QTemporaryDir>();
        QVERIFY(m_temporary->isValid());
        qputenv("HOME", QFile::encodeName(m_temporary->path()));
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_CONFIG_HOME");
    }
    void cleanup() { QDir::setCurrent(m_cwd); }

    void readsTheCommandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<CommandLine::Action>("action");
        QTest::addColumn<bool>("userData");
        using enum CommandLine::Action;
        QTest::newRow("nothing") << QStringList{} << Start << false;
        QTest::newRow("Qt's option and its value")
            << QStringList{"-platform", "offscreen", "--user-data"} << Start << true;
        QTest::newRow("a word after Qt's value")
            << QStringList{"-style", "fusion", "notes"} << Wrong << false;
        QTest::newRow("stray word") << QStringList{"reminder.dat"} << Wrong << false;
        QTest::newRow("help wins over a wrong option")
            << QStringList{"--bogus", "-h"} << Help << false;
        QTest::newRow("version") << QStringList{"--version", "--user-data"} << Version << true;
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
        QTest::newRow("percent") << "/x/100%/nudgewell"
                                 << "/x/100%%/nudgewell --user-data";
        QTest::newRow("quoted: dollar, double quote, backslash, space, percent")
            << "/x/a$b\"q\"\\y 50%/nudgewell"
            << "\"/x/a\\\\$b\\\\\"q\\\\\"\\\\\\\\y 50%%/nudgewell\" --user-data";
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
        // Set and unset, they are followed by install_and_start.sh.
        QTest::newRow("relative data home ignored")
            << QByteArray("XDG_DATA_HOME") << QByteArray("data") << "~/.local/share/Nudgewell";
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
        const QString file = m_temporary->filePath(QStringLiteral("file"));
        test::writeFile(file, "notes");
        QString error;
        QVERIFY(!enterFolder(m_temporary->filePath(folder), &error));
        QVERIFY2(error.contains(file) && error.contains("Not a directory"), qPrintable(error));
        QCOMPARE(QDir::currentPath(), m_cwd);
        QCOMPARE(test::readFile(file), QByteArray("notes"));
    }

    // The exit status says whether the entry is in place (or gone) and safe on the disk; the
    // steps of writing it fail as the settings' do in test_write_paths, and
    // install_and_start.sh installs and removes it.
    void exitStatus_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<FailingFileSystem::Step>("step");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("there"); // the entry, afterwards
        using enum FailingFileSystem::Step;
        QTest::newRow("installed, folder not flushed")
            << "--install-autostart" << SyncDirectory << 1 << true;
        QTest::newRow("not installed") << "--install-autostart" << Rename << 1 << false;
        QTest::newRow("not removed") << "--remove-autostart" << Remove << 1 << true;
    }
    void exitStatus() {
        QFETCH(QString, option);
        QFETCH(FailingFileSystem::Step, step);
        QFETCH(bool, there);
        const QString entry = m_temporary->filePath("config/autostart/nudgewell.desktop");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_temporary->filePath("config")));
        if (option == QLatin1String("--remove-autostart")) {
            QVERIFY(QDir().mkpath(QFileInfo(entry).path()));
            test::writeFile(entry, "[Desktop Entry]\n");
        }
        FailingFileSystem files;
        files.failAt = step;
        char name[] = "nudgewell";
        char* argv[] = {name, nullptr};
        QTEST(answerOnTerminal(CommandLine::read(QStringList{option}), 1, argv, files), "status");
        QCOMPARE(QFileInfo::exists(entry), there);
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
    const QString m_cwd = QDir::currentPath();
};

QTEST_MAIN(TestDesktopIntegration)
#include "test_desktop_integration.moc"
