// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/reminder_reader.h"
#include "data/reminder_store.h"
#include "fakes.h"

#include <QFile>
#include <QTest>

using namespace nudgewell;
using namespace nudgewell::test;
using Step = FailingFileSystem::Step;

namespace {

QByteArray rec(const char* text, const QByteArray& reserved = QByteArray(3, '\0')) {
    return recordBytes(QString::fromLatin1(text), 'X', 'O', QStringLiteral("05/12/2002"), reserved);
}

// The second record carries reserved bytes that a plain copy must keep.
const QByteArray kThree = rec("first") + rec("second", "abc") + rec("third");

bool notFirst(const ReminderRecord& r) {
    return r.trimmedText() != QLatin1String("first");
}

} // namespace

class TestReminderStore : public QObject {
    Q_OBJECT

private slots:
    void countFromLength_data() {
        QTest::addColumn<qint64>("length");
        QTest::addColumn<int>("recordLength");
        QTest::addColumn<qint64>("count");
        QTest::newRow("half of one, to even 0") << qint64(35) << 70 << qint64(0);
        QTest::newRow("rounds down") << qint64(100) << 70 << qint64(1);
        QTest::newRow("1.5, to even 2") << qint64(105) << 70 << qint64(2);
        QTest::newRow("2.5, to even 2") << qint64(175) << 70 << qint64(2);
        QTest::newRow("startup records") << qint64(66) << 22 << qint64(3);
    }
    void countFromLength() {
        QFETCH(qint64, length);
        QFETCH(int, recordLength);
        QFETCH(qint64, count);
        QCOMPARE(CountFromLength(length, recordLength), count);
    }

    // The file after each operation that writes it. A row with a failing step must leave the
    // file as it was, and then succeed on a second try.
    void change_data() {
        // "seed <format>", "write <n> <text>", "without <k>" or "keeping"
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QByteArray>("before"); // null for no file
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<Step>("failAt");
        const auto row = [](const QByteArray& name, const QString& op, const QByteArray& before,
                            const QByteArray& after, Step failAt = Step::None) {
            QTest::newRow(name.constData()) << op << before << after << failAt;
        };
        // A record that only had its text set.
        const auto written = [](const QByteArray& text) {
            return text.leftJustified(55, ' ') + QByteArray(3, '\0') + QByteArray(12, ' ');
        };
        const QByteArray sample =
            "Christmas Day" + QByteArray(42, ' ') + QByteArray(3, '\0') + "XY";
        row("seed day-first", "seed dd/mm", {}, sample + "25/12/2001");
        row("seed month-first", "seed mm/dd", {}, sample + "12/25/2001");
        const QString full = QString(54, QLatin1Char('a')) + QLatin1Char('z');
        const QByteArray cafe = QByteArray("Caf\xE9 ") + '\x80' + "5 \x96 na\xEFve";
        const QByteArray two = rec("old") + rec("next");
        row("55 characters", "write 1 " + full, two, written(full.toLatin1()) + rec("next"));
        row("56th dropped", "write 1 " + full + '!', two, written(full.toLatin1()) + rec("next"));
        row("Windows-1252", "write 1 Café €5 – naïve", two, written(cafe) + rec("next"));
        row("append", "write 4 new", kThree, kThree + written("new"));
        row("without first", "without 1", kThree, kThree.mid(70));
        row("without middle", "without 2", kThree, rec("first") + rec("third"));
        const QByteArray partial = rec("first") + rec("second").left(35); // counts as two
        row("without past end, short last", "without 3", partial, partial + QByteArray(35, ' '));
        row("without the only record", "without 1", rec("first"), "");
        row("keeping zeroes reserved", "keeping", kThree, rec("second") + rec("third"));
        row("keeping none", "keeping", rec("first"), "");
        // Every step failing on whole records is in test_write_paths; here, the store's own
        // cases: what it still holds, and torn records.
        row("keeping fails: rename", "keeping", kThree, kThree, Step::Rename);
        // The new file is in place even when its folder entry could not be flushed.
        row("without 1, folder not synced", "without 1", kThree, kThree.mid(70),
            Step::SyncDirectory);
        row("keeping, folder not synced", "keeping", kThree, rec("second") + rec("third"),
            Step::SyncDirectory);
        // The new file is in place: the store holds it open even when the descriptor it was
        // written with cannot be taken over.
        row("without 1, taking over fails", "without 1", kThree, kThree.mid(70), Step::Adopt);
        // A short last record counts as whole when it is half a record or more: an append
        // comes after it, blank-padded as it reads; with less it is written over.
        const QByteArray longShort = rec("first") + rec("second").left(40);
        const QByteArray shortShort = rec("first") + rec("second").left(20);
        row("append after a short record", "write 3 new", longShort,
            longShort + QByteArray(30, ' ') + written("new"));
        row("append over a shorter one", "write 2 new", shortShort, rec("first") + written("new"));
        for (const auto& [name, step] : {std::pair{"write", Step::Write}, {"flush", Step::Flush}}) {
            row(QByteArray("append after a short record fails: ") + name, "write 3 new", longShort,
                longShort, step);
            row(QByteArray("append over a shorter one fails: ") + name, "write 2 new", shortShort,
                shortShort, step);
        }
    }
    void change() {
        QFETCH(QString, operation);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(Step, failAt);
        const QString verb = operation.section(QLatin1Char(' '), 0, 0);
        const QString arg = operation.section(QLatin1Char(' '), 1, 1);
        const QString text = operation.section(QLatin1Char(' '), 2);
        QTemporaryDir dir;
        const QString dat = dir.filePath(QStringLiteral("reminder.dat"));
        const QString tmp = dir.filePath(QStringLiteral("reminder.tmp"));
        if (!before.isNull())
            writeFile(dat, before);
        // A leftover of an interrupted rewrite must not reach the file.
        if (failAt == Step::None &&
            (verb == QLatin1String("without") || verb == QLatin1String("keeping")))
            writeFile(tmp, rec("stale") + rec("stale too") + rec("x") + rec("y"));
        FailingFileSystem files;
        files.failAt = failAt;
        ReminderStore store(dir.path(), files);
        QVERIFY(store.Open(nullptr));
        ReminderRecord record;
        record.setText(text);
        const auto run = [&](QString* error) {
            if (verb == QLatin1String("seed"))
                return store.SeedSampleRecord(DateOrderFromSetting(arg), error);
            if (verb == QLatin1String("write"))
                return store.WriteRecord(arg.toInt(), record, error);
            return verb == QLatin1String("keeping") ? store.RewriteKeeping(notFirst, error)
                                                    : store.RewriteWithout(arg.toInt(), error);
        };
        QString error;
        const bool notSynced = failAt == Step::SyncDirectory || failAt == Step::Adopt;
        QCOMPARE(run(&error), failAt == Step::None || notSynced);
        QCOMPARE(error.isEmpty(), failAt == Step::None || failAt == Step::Adopt);
        QVERIFY(QFile::exists(dat)); // even when empty
        QVERIFY(store.isOpen());
        QCOMPARE(readFile(dat), after);
        QCOMPARE(store.count(), int(CountFromLength(after.size(), 70)));
        for (int i = 1; i <= store.count(); ++i) // the store reads the new file
            QCOMPARE(store.ReadRecord(i).bytes(),
                     after.mid(70 * (i - 1), 70).leftJustified(70, ' '));
        QCOMPARE(store.ReadRecord(store.count() + 1), ReminderRecord()); // past the end
        ReminderFileReader reader; // the agenda's and the notice's, on the same bytes
        QVERIFY(reader.open(dat, nullptr));
        QCOMPARE(int(reader.records().size()), store.count());
        for (int i = 0; i < store.count(); ++i)
            QCOMPARE(reader.records()[i].bytes(), store.ReadRecord(i + 1).bytes());
        QVERIFY(!QFile::exists(tmp));
        if (verb == QLatin1String("write") && failAt == Step::None)
            QCOMPARE(store.ReadRecord(arg.toInt()).trimmedText(), text.left(55));
        if (failAt != Step::None && !notSynced)
            QVERIFY2(run(&error), qPrintable(error));
    }

    // A file the user may read but not write is shown, and every change says why it fails.
    void readOnlyFile_data() {
        QTest::addColumn<bool>("onDisk"); // else opening for writing is refused by the seam
        QTest::newRow("permissions") << true;
        QTest::newRow("refused") << false;
    }
    void readOnlyFile() {
        QFETCH(bool, onDisk);
        QTemporaryDir dir;
        const QString dat = dir.filePath(QStringLiteral("reminder.dat"));
        writeFile(dat, kThree);
        QFile::setPermissions(dat, QFile::ReadOwner);
        if (onDisk && QFile(dat).open(QIODevice::WriteOnly))
            QSKIP("Running with the right to write any file (root).");
        FailingFileSystem files;
        files.failAt = onDisk ? Step::None : Step::Open;
        ReminderStore store(dir.path(), files);
        QString error;
        QVERIFY2(store.Open(&error), qPrintable(error));
        QVERIFY(store.readOnly());
        QCOMPARE(store.count(), 3);
        QCOMPARE(store.ReadRecord(2).trimmedText(), QStringLiteral("second"));
        ReminderRecord record;
        for (const auto& change :
             {std::function([&] { return store.WriteRecord(4, record, &error); }),
              std::function([&] { return store.WriteRecord(1, record, &error); }),
              std::function([&] { return store.RewriteWithout(1, &error); }),
              std::function([&] { return store.RewriteKeeping(notFirst, &error); })}) {
            error.clear();
            QVERIFY(!change());
            QVERIFY2(error.contains(QLatin1String("changes cannot be saved")), qPrintable(error));
        }
        QCOMPARE(readFile(dat), kThree);
        QCOMPARE(store.count(), 3);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("reminder.tmp"))));
    }
};

QTEST_GUILESS_MAIN(TestReminderStore)
#include "test_reminder_store.moc"
