// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/startup_log_file.h"
#include "fakes.h"

#include <QFile>
#include <QTest>

using namespace nudgewell;
using namespace nudgewell::test;
using Step = FailingFileSystem::Step;

class TestStartupLog : public QObject {
    Q_OBJECT

private slots:
    // The record of a start at 10:30:15 on 17 October 2002. Its time is the locale's long time
    // without the zone, padded or cut to 12 bytes.
    void append_data() {
        QTest::addColumn<QString>("calendarFormat");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("existing"); // bytes already in the file, 0 for no file
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<Step>("failAt");
        const auto row = [](const QByteArray& name, const char* format, const char* locale,
                            const QByteArray& after, int existing = 0, Step failAt = Step::None) {
            QTest::newRow(name.constData())
                << QString(format) << QString(locale) << existing << after << failAt;
        };
        const QByteArray us = "17/10/200210:30:15 AM ";
        row("first start, day-first, 12-hour", "dd/mm", "en_US", us);
        row("setting missing, 24-hour", "", "en_GB", "10/17/200210:30:15    ");
        row("upper case is month-first, zone in brackets", "DD/MM", "es_ES",
            "10/17/200210:30:15    ");
        row("zone after a comma", "dd/mm", "be_BY", "17/10/200210:30:15    ");
        // Albanian spells out its AM marker, well past the 12 bytes of the field.
        row("long time cut", "dd/mm", "sq_AL", "17/10/200210:30:15 E P");
        // Japanese marks its hours, minutes and seconds with characters no record can hold.
        row("time the file cannot hold, in English", "dd/mm", "ja_JP", "17/10/200210:30:15 AM ");
        row("after three records", "dd/mm", "en_US", QByteArray(66, '#') + us, 66);
        row("partial record rounds down", "dd/mm", "en_US", QByteArray(66, '#') + us, 70);
        // A failed write takes back what went down, a torn last record included (whole records
        // at every step are in test_write_paths).
        row("write fails, partial kept", "dd/mm", "en_US", QByteArray(70, '#'), 70, Step::Write);
        row("flush fails, partial rounded up", "dd/mm", "en_US", QByteArray(80, '#'), 80,
            Step::Flush);
    }
    void append() {
        QFETCH(QString, calendarFormat);
        QFETCH(QString, locale);
        QFETCH(int, existing);
        QFETCH(QByteArray, after);
        QFETCH(Step, failAt);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("startup.dat"));
        if (existing > 0)
            writeFile(path, QByteArray(existing, '#'));
        FailingFileSystem files;
        files.failAt = failAt;
        QString error;
        QCOMPARE(AppendStartupRecord(dir.path(), QDateTime(QDate(2002, 10, 17), QTime(10, 30, 15)),
                                     DateOrderFromSetting(calendarFormat), QLocale(locale), files,
                                     &error),
                 failAt == Step::None);
        QCOMPARE(error.isEmpty(), failAt == Step::None);
        QCOMPARE(QFile::exists(path), !after.isNull());
        QCOMPARE(readFile(path), after);
    }
};

QTEST_GUILESS_MAIN(TestStartupLog)
#include "test_startup_log.moc"
