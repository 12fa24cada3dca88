// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up list's lines and its purge of all starts but the last.
#include "data/startup_log.h"
#include "fakes.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace nudgewell;
using namespace nudgewell::test;
using Step = FailingFileSystem::Step;

Q_DECLARE_METATYPE(Step)
Q_DECLARE_METATYPE(StartupDateColumn)

namespace {

const QByteArray kFirst = "10/15/200209:05:00 PM ";
const QByteArray kSecond = "10/16/200208:00:00 AM ";
const QByteArray kLast = "10/17/200210:30:15 AM ";

} // namespace

class TestStartupPurge : public QObject {
    Q_OBJECT

private slots:
    void line_data() {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<StartupDateColumn>("column");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("line");
        const auto stored = StartupDateColumn::AsStored;
        const auto reformatted = StartupDateColumn::Reformatted;
        QTest::newRow("as stored") << kLast << stored << "en_US"
                                   << " 10/17/2002    10:30 am    Thursday\t7";
        QTest::newRow("after a purge") << kLast << reformatted << "en_US"
                                       << " 10/17/02    10:30 am    Thursday\t7";
        QTest::newRow("24-hour time, day-first locale")
            << QByteArray("17/10/200222:05:00    ") << reformatted << "en_GB"
            << " 10/17/02    10:05 pm    Thursday\t7";
        // The reading follows the locale, not the order the record was written in.
        QTest::newRow("day-first record, month-first locale, day above 12")
            << QByteArray("17/10/200222:05:00    ") << reformatted << "en_US"
            << " 10/17/02    10:05 pm    Thursday\t7";
        QTest::newRow("ambiguous date read in the locale's order")
            << QByteArray("05/12/200208:00:00    ") << reformatted << "de_DE"
            << " 12/05/02    08:00 am    Donnerstag\t7";
        QTest::newRow("noon") << QByteArray("10/17/200212:15:00 PM ") << stored << "en_US"
                              << " 10/17/2002    12:15 pm    Thursday\t7";
        QTest::newRow("midnight") << QByteArray("10/17/200212:15:00 AM ") << stored << "en_US"
                                  << " 10/17/2002    12:15 am    Thursday\t7";
        QTest::newRow("unreadable date and time")
            << QByteArray("garbage   ??:??       ") << stored << "en_US"
            << " garbage       ??:??    \t7";
        QTest::newRow("unreadable date after a purge")
            << QByteArray("garbage   13:75:00    ") << reformatted << "en_US"
            << " garbage    13:75:00    \t7";
        QTest::newRow("unit signs lost to the code page")
            << QByteArray("10/17/200214?54?37?   ") << stored << "ja_JP"
            << " 10/17/2002    02:54 pm    \u6728\u66dc\u65e5\t7";
        QTest::newRow("PM with a 13 hour is no time")
            << QByteArray("10/17/200213:00:00 PM ") << stored << "en_US"
            << " 10/17/2002    13:00:00 PM    Thursday\t7";
    }
    void line() {
        QFETCH(QByteArray, record);
        QFETCH(StartupDateColumn, column);
        QFETCH(QString, locale);
        QFETCH(QString, line);
        QCOMPARE(StartupListLine(record, 7, column, QLocale(locale)), line);
    }

    // What a purge leaves: the file, the lines listed afterwards, and any message.
    void purge_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<Step>("failAt");
        QTest::addColumn<int>("call");
        QTest::addColumn<bool>("purged");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("open");
        const QByteArray three = kFirst + kSecond + kLast;
        const QStringList kept = {" 10/17/02    10:30 am    Thursday\t1"};
        const QStringList unchanged = {" 10/17/2002    10:30 am    Thursday\t3",
                                       " 10/16/2002    08:00 am    Wednesday\t2",
                                       " 10/15/2002    09:05 pm    Tuesday\t1"};
        QTest::newRow("keeps the last")
            << three << Step::None << 1 << true << kLast << kept << true;
        QTest::newRow("empty log stays empty")
            << QByteArray() << Step::None << 1 << true << QByteArray() << QStringList() << true;
        // 3.5 records count as 4: the torn fourth is the last, padded to a whole record.
        QTest::newRow("torn last record") << three + "10/18/2002 " << Step::None << 1 << true
                                          << QByteArray("10/18/2002            ")
                                          << QStringList{" 10/18/02        Friday\t1"} << true;
        for (const auto& [name, step] : {std::pair{"read", Step::Read},
                                         {"stale temp removal", Step::Remove},
                                         {"temp creation", Step::Create},
                                         {"write", Step::Write},
                                         {"flush", Step::Flush},
                                         {"rename", Step::Rename}}) {
            QTest::newRow(qPrintable(QString("%1 fails").arg(name)))
                << three << step << 1 << false << three << unchanged << true;
        }
        // Past the rename the new file is in place; the failure is still reported.
        QTest::newRow("folder flush fails")
            << three << Step::SyncDirectory << 1 << true << kLast << kept << true;
        QTest::newRow("reopening fails")
            << three << Step::Open << 2 << true << kLast << QStringList() << false;
    }
    void purge() {
        QFETCH(QByteArray, before);
        QFETCH(Step, failAt);
        QFETCH(int, call);
        QFETCH(bool, purged);
        QFETCH(QByteArray, after);
        QFETCH(QStringList, lines);
        QFETCH(bool, open);
        QTemporaryDir dir;
        const QString path = dir.filePath("startup.dat");
        const QString temp = dir.filePath("startup.tmp");
        writeFile(path, before);
        writeFile(temp, "left over from a crash");
        FailingFileSystem files;
        files.failAt = failAt;
        files.failOnCall = call;
        StartupLog log(dir.path(), files);
        QString error;
        QVERIFY(log.Open(&error));

        QCOMPARE(log.purge(&error), purged);
        QCOMPARE(error.contains("injected failure"), failAt != Step::None);
        QCOMPARE(readFile(path), after);
        // A stale temporary file goes before anything is written (a failed read touches
        // nothing), and a failed step removes the one it wrote.
        QCOMPARE(QFile::exists(temp), failAt == Step::Remove || failAt == Step::Read);
        QCOMPARE(log.isOpen(), open);
        const StartupDateColumn column =
            purged ? StartupDateColumn::Reformatted : StartupDateColumn::AsStored;
        QStringList listed;
        QVERIFY(log.listLines(column, QLocale("en_US"), &listed, &error));
        QCOMPARE(listed, lines);
    }

    // The handle the window holds reads the file it opened, and a second purge still works.
    void purgeTwice() {
        QTemporaryDir dir;
        writeFile(dir.filePath("startup.dat"), kFirst + kSecond);
        StartupLog log(dir.path(), FileSystem::real());
        QString error;
        QVERIFY(log.Open(&error));
        QCOMPARE(log.count(), 2);
        QVERIFY(log.purge(&error));
        QVERIFY(log.purge(&error));
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(log.count(), 1);
        QCOMPARE(readFile(dir.filePath("startup.dat")), kSecond);
        log.Close();
        QVERIFY(!log.purge(&error));
        QCOMPARE(readFile(dir.filePath("startup.dat")), kSecond);
    }
};

QTEST_GUILESS_MAIN(TestStartupPurge)
#include "test_startup_purge.moc"
