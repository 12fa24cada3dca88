// SPDX-License-Identifier: GPL-3.0-or-later
// The installed program as a user runs it: exit status, one-line errors, and no trace left.
#include "fakes.h"

#include <QProcess>
#include <QtTest>

using namespace nudgewell::test;

class TestAgendaCli : public QObject {
    Q_OBJECT

private slots:
    void run_data() {
        QTest::addColumn<QStringList>("arguments"); // %D stands for the run's folder
        QTest::addColumn<QByteArray>("file");       // reminder.dat, none when null
        QTest::addColumn<int>("status");            // 1 only with the output going to /dev/full
        QTest::addColumn<QByteArray>("output");     // how it begins; empty for none
        QTest::addColumn<bool>("warns");            // one line on standard error with status 0

        const QByteArray none, empty(""), record = recordBytes("Bins", 'X', 'W', "01/05/2026");
        const QByteArray calendar("BEGIN:VCALENDAR\r\n");
        QTest::newRow("bad option") << QStringList{"--bo\ngus"} << empty << 2 << empty << false;
        QTest::newRow("--days past a leap year")
            << QStringList{"--days", "367"} << empty << 2 << empty << false;
        QTest::newRow("no value") << QStringList{"--days"} << empty << 2 << empty << false;
        QTest::newRow("value for a flag") << QStringList{"--all=1"} << empty << 2 << empty << false;
        QTest::newRow("--publish-to without --user")
            << QStringList{"--publish-to", "https://example.org/cal/"} << empty << 2 << empty
            << false;
        QTest::newRow("--publish with --ical")
            << QStringList{"--publish", "--ical"} << empty << 2 << empty << false;
        QTest::newRow("missing --file")
            << QStringList{"--file", "%D/no\nne"} << empty << 2 << empty << false;
        QTest::newRow("directory as --file")
            << QStringList{"--file", "%D"} << empty << 2 << empty << false;
        QTest::newRow("no reminder.dat") << QStringList() << none << 2 << empty << false;
        QTest::newRow("empty file") << QStringList() << empty << 0 << empty << false;
        QTest::newRow("output cannot be written")
            << QStringList{"--all"} << record << 1 << empty << false;
        QTest::newRow("--ical with --days")
            << QStringList{"--ical", "--days=3"} << record << 2 << empty << false;
        QTest::newRow("--ical, unreadable date")
            << QStringList{"--ical"} << record + recordBytes("Bins", 'X', 'W', "1/5/") << 0
            << calendar << true;
        QTest::newRow("--ical cannot be written")
            << QStringList{"--ical"} << record << 1 << empty << false;
    }

    void run() {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, file);
        QFETCH(int, status);
        QFETCH(QByteArray, output);
        QFETCH(bool, warns);

        // HOME is made on the first write to it, settings included.
        QTemporaryDir dir;
        const QString reminders = dir.filePath(QStringLiteral("reminder.dat"));
        if (!file.isNull())
            writeFile(reminders, file);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("home/config")));
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.path());
        if (status == 1) // to a pipe, output lost in a buffer at exit would go unseen
            process.setStandardOutputFile(QStringLiteral("/dev/full"));
        process.start(QStringLiteral(AGENDA_PATH), arguments.replaceInStrings("%D", dir.path()));
        QVERIFY(process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit);
        QCOMPARE(process.exitCode(), status);
        const QByteArray out = process.readAllStandardOutput();
        QVERIFY(out.startsWith(output) && out.isEmpty() == output.isEmpty());
        const QByteArray err = process.readAllStandardError();
        const bool oneLine =
            err.startsWith("nudgewell-agenda: ") && err.indexOf('\n') == err.size() - 1;
        QVERIFY2(status == 0 && !warns ? err.isEmpty() : oneLine, err.constData());
        const auto all = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden;
        QCOMPARE(QDir(dir.path()).entryList(all),
                 file.isNull() ? QStringList() : QStringList{"reminder.dat"});
        QCOMPARE(readFile(reminders), file);
    }
};

QTEST_GUILESS_MAIN(TestAgendaCli)
#include "tst_agenda_cli.moc"
