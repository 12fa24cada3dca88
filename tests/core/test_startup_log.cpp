// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/startup_log_file.h"
#include "fakes.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace nudgewell;
using namespace nudgewell::test;

Q_DECLARE_METATYPE(DateOrder)

namespace {

const QDateTime kStart(QDate(2002, 10, 17), QTime(10, 30, 15));

QString logPath(const QTemporaryDir& dir) {
    return dir.filePath(QStringLiteral("startup.dat"));
}

} // namespace

class TestStartupLog : public QObject {
    Q_OBJECT

private slots:
    void firstRecord_data() {
        QTest::addColumn<DateOrder>("order");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("day-first, 12-hour")
            << DateOrder::DayFirst << "en_US" << QByteArray("17/10/200210:30:15 AM ");
        QTest::newRow("month-first, 12-hour")
            << DateOrder::MonthFirst << "en_US" << QByteArray("10/17/200210:30:15 AM ");
        QTest::newRow("day-first, 24-hour")
            << DateOrder::DayFirst << "en_GB" << QByteArray("17/10/200210:30:15    ");
        // Albanian spells out its AM marker, well past the 12 bytes of the field.
        QTest::newRow("long time cut")
            << DateOrder::DayFirst << "sq_AL" << QByteArray("17/10/200210:30:15 E P");
    }

    void firstRecord() {
        QFETCH(DateOrder, order);
        QFETCH(QString, locale);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        QString error;
        QVERIFY2(AppendStartupRecord(dir.path(), kStart, order, QLocale(locale), FileSystem::real(),
                                     &error),
                 qPrintable(error));
        QCOMPARE(readFile(logPath(dir)), expected);
    }

    void appendPosition_data() {
        QTest::addColumn<int>("existing");
        QTest::addColumn<int>("writtenAt");
        QTest::newRow("empty file") << 0 << 0;
        QTest::newRow("three records") << 66 << 66;
        QTest::newRow("partial record rounds down") << 70 << 66;
        QTest::newRow("half record rounds to even") << 11 << 0;
        QTest::newRow("partial record rounds up") << 33 << 44;
    }

    void appendPosition() {
        QFETCH(int, existing);
        QFETCH(int, writtenAt);
        QTemporaryDir dir;
        const QByteArray old(existing, '#');
        writeFile(logPath(dir), old);
        QVERIFY(AppendStartupRecord(dir.path(), kStart, DateOrder::DayFirst, QLocale("en_US"),
                                    FileSystem::real(), nullptr));
        const QByteArray bytes = readFile(logPath(dir));
        QCOMPARE(bytes.size(), writtenAt + StartupRecord::Size);
        QCOMPARE(bytes.left(qMin(existing, writtenAt)), old.left(writtenAt));
        QCOMPARE(bytes.mid(writtenAt), QByteArray("17/10/200210:30:15 AM "));
    }

    void openFailureWritesNothing() {
        QTemporaryDir dir;
        FailingFileSystem files;
        files.failAt = FailingFileSystem::Step::Open;
        QString error;
        QVERIFY(!AppendStartupRecord(dir.path(), kStart, DateOrder::DayFirst, QLocale("en_US"),
                                     files, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFile::exists(logPath(dir)));
    }
};

QTEST_GUILESS_MAIN(TestStartupLog)
#include "test_startup_log.moc"
