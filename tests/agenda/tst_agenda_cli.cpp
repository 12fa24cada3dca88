// SPDX-License-Identifier: GPL-3.0-or-later
// The installed program as a user runs it: exit status, one-line errors, and no trace left.
#include "fakes.h"

#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace nudgewell::test;

namespace {

struct Result {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the agenda in `dir` with its home, settings and locale inside `dir`.
Result runAgenda(const QString& dir, const QStringList& arguments,
                 const QString& outputFile = QString()) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), dir + QStringLiteral("/home"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir + QStringLiteral("/home/config"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C"));
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir);
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    process.start(QStringLiteral(AGENDA_PATH), arguments);
    Result result;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.status = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

// Every file under `dir` with its size, to show that a run changed nothing.
QStringList tree(const QString& dir) {
    QStringList out;
    QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        out << it.filePath().mid(dir.size()) + u' ' + QString::number(it.fileInfo().size());
    }
    out.sort();
    return out;
}

} // namespace

class TestAgendaCli : public QObject {
    Q_OBJECT

private slots:
    void refusesWithOneLine_data();
    void refusesWithOneLine();
    void emptyFilePrintsNothing();
    void readsUserSettingsAndWritesNothing();
    void reportsOutputThatCannotBeWritten();
};

void TestAgendaCli::refusesWithOneLine_data() {
    QTest::addColumn<QStringList>("arguments"); // %D stands for the run's folder
    QTest::addColumn<QString>("mentions");

    QTest::newRow("unknown option") << QStringList{"--bogus"} << "--bogus";
    QTest::newRow("line break in an option") << QStringList{"--bo\ngus"} << "--bo?gus";
    QTest::newRow("stray argument") << QStringList{"today"} << "today";
    QTest::newRow("days over 366") << QStringList{"--days", "400"} << "400";
    QTest::newRow("days not a number") << QStringList{"--days", "x"} << "'x'";
    QTest::newRow("negative days") << QStringList{"--days=-1"} << "-1";
    QTest::newRow("days without value") << QStringList{"--days"} << "--days";
    QTest::newRow("value for a flag") << QStringList{"--all=yes"} << "--all";
    QTest::newRow("missing --file") << QStringList{"--file", "%D/none.dat"} << "none.dat";
    QTest::newRow("directory as --file") << QStringList{"--file", "%D"} << "%D";
    QTest::newRow("no reminder.dat here") << QStringList{} << "%D/reminder.dat";
    QTest::newRow("unreadable file") << QStringList{"--file", "%D/locked.dat"} << "locked.dat";
}

void TestAgendaCli::refusesWithOneLine() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, mentions);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    arguments.replaceInStrings(QStringLiteral("%D"), dir.path());
    mentions.replace(QStringLiteral("%D"), dir.path());
    if (mentions == QLatin1String("locked.dat")) {
        const QString locked = dir.filePath(mentions);
        writeFile(locked, recordBytes(QStringLiteral("Secret"), 'X', 'W', "01/05/2026"));
        QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions()));
        if (QFile(locked).open(QIODevice::ReadOnly))
            QSKIP("permissions do not bind this user");
    }
    const QStringList before = tree(dir.path());

    const Result result = runAgenda(dir.path(), arguments);
    QCOMPARE(result.status, 2);
    QVERIFY(result.out.isEmpty());
    QVERIFY2(result.err.startsWith("nudgewell-agenda: ") && result.err.endsWith('\n') &&
                 result.err.count('\n') == 1,
             result.err.constData());
    QVERIFY2(QString::fromUtf8(result.err).contains(mentions), result.err.constData());
    QCOMPARE(tree(dir.path()), before);
}

void TestAgendaCli::emptyFilePrintsNothing() {
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("reminder.dat")), {});
    for (const QStringList& arguments : {QStringList{}, QStringList{"--all"}}) {
        const Result result = runAgenda(dir.path(), arguments);
        QCOMPARE(result.status, 0);
        QVERIFY(result.out.isEmpty());
        QVERIFY(result.err.isEmpty());
    }
    // The window would seed an empty file with a sample; the agenda only looks.
    QCOMPARE(tree(dir.path()), QStringList{"/reminder.dat 0"});
}

void TestAgendaCli::readsUserSettingsAndWritesNothing() {
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("home/config/Quorvane Software"));
    QVERIFY(QDir().mkpath(config));
    writeFile(config + QStringLiteral("/Nudgewell.conf"), "[Nudgewell]\nCalendar Format=dd/mm\n");
    const QByteArray record =
        recordBytes(QStringLiteral("Caf\u00e9 \u20ac5"), 'X', 'Y', QStringLiteral("12/25/2001"));
    writeFile(dir.filePath(QStringLiteral("reminder.dat")), record);
    const QStringList before = tree(dir.path());

    // The line's date does not depend on today: the all list shows the stored date.
    const Result all = runAgenda(dir.path(), {QStringLiteral("--all")});
    QCOMPARE(all.status, 0);
    QCOMPARE(all.err, QByteArray());
    QCOMPARE(all.out, QByteArray("25/12/01   Tue\tYearly \tCaf\xc3\xa9 \xe2\x82\xac"
                                 "5") +
                          QByteArray(48, ' ') + '\n');

    QCOMPARE(runAgenda(dir.path(), {}).status, 0);
    QCOMPARE(runAgenda(dir.path(), {QStringLiteral("--days"), QStringLiteral("366")}).status, 0);
    const Result version = runAgenda(dir.path(), {QStringLiteral("--version")});
    QCOMPARE(version.out, QByteArray("nudgewell-agenda 5.0\n"));
    QCOMPARE(runAgenda(dir.path(), {QStringLiteral("--help")}).status, 0);

    QCOMPARE(tree(dir.path()), before);
    QCOMPARE(readFile(dir.filePath(QStringLiteral("reminder.dat"))), record);
}

void TestAgendaCli::reportsOutputThatCannotBeWritten() {
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        QSKIP("no /dev/full here");
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("reminder.dat")),
              recordBytes(QStringLiteral("Bins out"), 'X', 'W', QStringLiteral("01/05/2026")));
    // A short output sits in no buffer that could swallow the failure at exit.
    for (const QStringList& arguments : {QStringList{"--version"}, QStringList{"--all"}}) {
        const Result result = runAgenda(dir.path(), arguments, QStringLiteral("/dev/full"));
        QCOMPARE(result.status, 1);
        QVERIFY2(result.err.startsWith("nudgewell-agenda: cannot write") &&
                     result.err.count('\n') == 1,
                 result.err.constData());
    }
}

QTEST_GUILESS_MAIN(TestAgendaCli)
#include "tst_agenda_cli.moc"
