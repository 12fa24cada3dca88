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
        QTest::addColumn<QByteArray>("output");     // how it begins; with output, one warning line

        const QByteArray none, empty(""), record = recordBytes("Bins", 'X', 'W', "01/05/2026");
        const auto row = [](const char* name, const QStringList& arguments, const QByteArray& file,
                            int status, const QByteArray& output = {}) {
            QTest::newRow(name) << arguments << file << status << output;
        };
        row("bad option", {"--bo\ngus"}, empty, 2);
        row("--days past a leap year", {"--days", "367"}, empty, 2);
        row("no value", {"--days"}, empty, 2);
        row("value for a flag", {"--all=1"}, empty, 2);
        row("--publish-to without --user", {"--publish-to", "https://example.org/cal/"}, empty, 2);
        row("--publish with --ical", {"--publish", "--ical"}, empty, 2);
        row("missing --file", {"--file", "%D/no\nne"}, empty, 2);
        row("directory as --file", {"--file", "%D"}, empty, 2);
        row("no reminder.dat", {}, none, 2);
        row("empty file", {}, empty, 0);
        row("output cannot be written", {"--all"}, record, 1);
        row("--ical with --days", {"--ical", "--days=3"}, record, 2);
        row("--ical, unreadable date", {"--ical"}, record + recordBytes("Bins", 'X', 'W', "1/5/"),
            0, "BEGIN:VCALENDAR\r\n");
        row("--ical cannot be written", {"--ical"}, record, 1);
    }

    void run() {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, file);
        QFETCH(int, status);
        QFETCH(QByteArray, output);

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
        QVERIFY2(status == 0 && output.isEmpty() ? err.isEmpty() : oneLine, err.constData());
        const auto all = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden;
        QCOMPARE(QDir(dir.path()).entryList(all),
                 file.isNull() ? QStringList() : QStringList{"reminder.dat"});
        QCOMPARE(readFile(reminders), file);
    }
};

QTEST_GUILESS_MAIN(TestAgendaCli)
#include "tst_agenda_cli.moc"
