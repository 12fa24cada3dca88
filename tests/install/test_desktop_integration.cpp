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
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<CommandLine::Action>("action");
        QTest::addColumn<bool>("userData");
        using enum CommandLine::Action;
        QTest::newRow("nothing") << "" << Start << false;
        QTest::newRow("Qt's option and its value")
            << "-platform offscreen --user-data" << Start << true;
        QTest::newRow("a word after Qt's value") << "-style fusion notes" << Wrong << false;
        QTest::newRow("help wins over a wrong option") << "--bogus -h" << Help << false;
        QTest::newRow("version") << "--version --user-data" << Version << true;
        QTest::newRow("install and remove")
            << "--install-autostart --remove-autostart" << Wrong << false;
        QTest::newRow("import") << "--user-data --import a.vcf -platform offscreen b.ics" << Import
                                << true;
        QTest::newRow("import without a file") << "--import" << Wrong << false;
        QTest::newRow("import and install")
            << "--import a.vcf --install-autostart" << Wrong << false;
    }
    void readsTheCommandLine() {
        QFETCH(QString, arguments);
        QFETCH(CommandLine::Action, action);
        const CommandLine read = CommandLine::read(arguments.split(' ', Qt::SkipEmptyParts));
        QCOMPARE(read.action, action);
        QTEST(read.userData, "userData");
        QVERIFY(action != CommandLine::Action::Wrong || !read.problem.isEmpty());
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

    // Relative XDG folders are ignored; set and unset ones install_and_start.sh follows.
    void ignoresRelativeXdgFolders() {
        qputenv("XDG_DATA_HOME", "data");
        qputenv("XDG_CONFIG_HOME", "./c");
        QCOMPARE(userDataFolder(), m_temporary->filePath(".local/share/Nudgewell"));
        QCOMPARE(autostartEntryPath(),
                 m_temporary->filePath(".config/autostart/nudgewell.desktop"));
    }

    // The data folder is entered, made private where it is made (what was there is not ours to
    // change), or the reason is given and nothing is touched.
    void entersTheDataFolder() {
        const QString home = m_temporary->path();
        QVERIFY(QDir().mkpath(home + "/share"));
        QVERIFY(QFile::setPermissions(home + "/share", QFile::Permissions(QFlag(0x7050)))); // 750
        const QString folder = home + "/share/new/Nudgewell";
        QString error;
        for (int time = 0; time < 2; ++time) // made, then there already
            QVERIFY2(enterFolder(folder, &error), qPrintable(error));
        QCOMPARE(QDir::currentPath(), folder);
        QCOMPARE(modeOf(folder), QStringLiteral("700"));
        QCOMPARE(modeOf(home + "/share/new"), QStringLiteral("700"));
        QCOMPARE(modeOf(home + "/share"), QStringLiteral("750"));
        QDir::setCurrent(m_cwd);
        test::writeFile(home + "/file", "notes");
        for (const char* name : {"/file", "/file/Nudgewell"}) { // in its place, as a parent
            QVERIFY(!enterFolder(home + name, &error));
            QVERIFY2(error.contains(home + "/file") && error.contains("Not a directory"),
                     qPrintable(error));
            QCOMPARE(QDir::currentPath(), m_cwd);
        }
        QCOMPARE(test::readFile(home + "/file"), QByteArray("notes"));
    }

    // The exit status is 1 when the entry is not in place (or not gone) or not safe on the disk;
    // the steps of writing it fail as the settings' do in test_write_paths, and
    // install_and_start.sh installs and removes it.
    void exitStatus_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<FailingFileSystem::Step>("step");
        QTest::addColumn<bool>("there"); // the entry, afterwards
        using enum FailingFileSystem::Step;
        QTest::newRow("installed, folder not flushed")
            << "--install-autostart" << SyncDirectory << true;
        QTest::newRow("not installed") << "--install-autostart" << Rename << false;
        QTest::newRow("not removed") << "--remove-autostart" << Remove << true;
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
        QCOMPARE(answerOnTerminal(CommandLine::read(QStringList{option}), 1, argv, files), 1);
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
