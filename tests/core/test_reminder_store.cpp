// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/reminder_store.h"
#include "fakes.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <memory>

using namespace nudgewell;
using namespace nudgewell::test;
using Step = FailingFileSystem::Step;

Q_DECLARE_METATYPE(FailingFileSystem::Step)
Q_DECLARE_METATYPE(DateOrder)

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

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ReminderStore> m_store;

    QString dat() const { return m_dir->filePath(QStringLiteral("reminder.dat")); }
    QString tmp() const { return m_dir->filePath(QStringLiteral("reminder.tmp")); }
    qint64 datSize() const { return QFileInfo(dat()).size(); }
    ReminderStore& open(const QByteArray& content, FileSystem& files = FileSystem::real()) {
        writeFile(dat(), content);
        m_store = std::make_unique<ReminderStore>(m_dir->path(), files);
        QString error;
        if (!m_store->Open(&error))
            qFatal("%s", qPrintable(error));
        return *m_store;
    }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void cleanup() { m_store.reset(); }

    void countFromLength_data() {
        QTest::addColumn<qint64>("length");
        QTest::addColumn<int>("recordLength");
        QTest::addColumn<qint64>("count");
        QTest::newRow("empty") << qint64(0) << 70 << qint64(0);
        QTest::newRow("half of one, to even 0") << qint64(35) << 70 << qint64(0);
        QTest::newRow("rounds down") << qint64(100) << 70 << qint64(1);
        QTest::newRow("1.5, to even 2") << qint64(105) << 70 << qint64(2);
        QTest::newRow("2.5, to even 2") << qint64(175) << 70 << qint64(2);
        QTest::newRow("3.5, to even 4") << qint64(245) << 70 << qint64(4);
        QTest::newRow("startup records") << qint64(66) << 22 << qint64(3);
    }
    void countFromLength() {
        QFETCH(qint64, length);
        QFETCH(int, recordLength);
        QFETCH(qint64, count);
        QCOMPARE(CountFromLength(length, recordLength), count);
    }

    void seedSampleRecord_data() {
        QTest::addColumn<DateOrder>("order");
        QTest::addColumn<QByteArray>("date");
        QTest::newRow("day-first") << DateOrder::DayFirst << QByteArray("25/12/2001");
        QTest::newRow("month-first") << DateOrder::MonthFirst << QByteArray("12/25/2001");
    }
    void seedSampleRecord() {
        QFETCH(DateOrder, order);
        QFETCH(QByteArray, date);
        ReminderStore store(m_dir->path());
        QString error;
        QVERIFY2(store.Open(&error), qPrintable(error));
        QCOMPARE(datSize(), 0); // created when missing
        QCOMPARE(store.count(), 0);
        QVERIFY2(store.SeedSampleRecord(order, &error), qPrintable(error));
        QCOMPARE(readFile(dat()),
                 "Christmas Day" + QByteArray(42, ' ') + QByteArray(3, '\0') + "XY" + date);
        QCOMPARE(store.count(), 1);
    }

    void textField_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("readBack");
        QTest::addColumn<QByteArray>("field");
        const QString full = QString(54, QLatin1Char('a')) + QLatin1Char('z');
        QTest::newRow("exactly 55") << full << full << full.toLatin1();
        QTest::newRow("56th dropped") << full + QLatin1Char('!') << full << full.toLatin1();
        const QString western = QStringLiteral("Café €5 – naïve");
        const QByteArray bytes = QByteArray("Caf\xE9 ") + '\x80' + "5 \x96 na\xEFve";
        QTest::newRow("Windows-1252") << western << western << bytes + QByteArray(40, ' ');
    }
    void textField() {
        QFETCH(QString, text);
        QFETCH(QString, readBack);
        QFETCH(QByteArray, field);
        ReminderRecord record;
        record.setText(text);
        QVERIFY(open({}).WriteRecord(1, record, nullptr));
        QCOMPARE(readFile(dat()).left(56), field + '\0');
        ReminderStore reopened(m_dir->path());
        QVERIFY(reopened.Open(nullptr));
        QCOMPARE(reopened.ReadRecord(1).trimmedText(), readBack);
    }

    void appendAndOverwrite() {
        ReminderStore& store = open({});
        const auto make = [](const char* text) { return ReminderRecord::fromBytes(rec(text), 70); };
        QVERIFY(store.WriteRecord(1, make("one"), nullptr));
        QVERIFY(store.WriteRecord(2, make("two"), nullptr));
        QVERIFY(store.WriteRecord(1, make("uno"), nullptr));
        QCOMPARE(store.count(), 2);
        QCOMPARE(readFile(dat()), rec("uno") + rec("two"));
        // Only count + 1 appends; anything further would leave a hole.
        QString error;
        QVERIFY(!store.WriteRecord(4, make("four"), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!store.WriteRecord(0, make("zero"), nullptr));
        QCOMPARE(store.count(), 2);
        QCOMPARE(datSize(), 140);
    }

    void readPastEndAndShortFile() {
        ReminderStore& store = open(rec("whole") + rec("partial").left(35));
        QCOMPARE(store.count(), 2);
        QCOMPARE(store.ReadRecord(2).trimmedText(), QStringLiteral("partial"));
        QCOMPARE(store.ReadRecord(0), ReminderRecord());
    }

    void rewrite_data() {
        QTest::addColumn<bool>("keeping");
        QTest::addColumn<int>("k");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("without first") << false << 1 << kThree << kThree.mid(70);
        QTest::newRow("without middle")
            << false << 2 << kThree << kThree.left(70) + kThree.mid(140);
        QTest::newRow("without last") << false << 3 << kThree << kThree.left(140);
        QTest::newRow("without 0 copies whole") << false << 0 << kThree << kThree;
        QTest::newRow("without past end copies whole") << false << 4 << kThree << kThree;
        QTest::newRow("without the only record") << false << 1 << rec("first") << QByteArray();
        // Kept records lose their reserved bytes.
        QTest::newRow("keeping") << true << 0 << kThree + rec("fourth", "zzz")
                                 << rec("second") + rec("third") + rec("fourth");
        QTest::newRow("keeping none") << true << 0 << rec("first") << QByteArray();
    }
    void rewrite() {
        QFETCH(bool, keeping);
        QFETCH(int, k);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        // A leftover of an interrupted rewrite must not reach the file.
        writeFile(tmp(), rec("stale") + rec("stale too") + rec("x") + rec("y"));
        ReminderStore& store = open(before);
        QString error;
        QVERIFY2(keeping ? store.RewriteKeeping(notFirst, &error) : store.RewriteWithout(k, &error),
                 qPrintable(error));
        QVERIFY(QFile::exists(dat()));
        QCOMPARE(readFile(dat()), after);
        QCOMPARE(store.count(), int(after.size() / 70));
        QCOMPARE(store.ReadRecord(store.count() + 1), ReminderRecord());
        QVERIFY(!QFile::exists(tmp()));
    }

    void failureChangesNothing_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<Step>("step");
        const std::pair<const char*, Step> steps[] = {
            {"read", Step::Read},     {"remove stale tmp", Step::Remove},
            {"create", Step::Create}, {"write", Step::Write},
            {"flush", Step::Flush},   {"rename", Step::Rename}};
        for (const auto& [name, step] : steps) {
            QTest::addRow("without: %s", name) << "without" << step;
            QTest::addRow("keeping: %s", name) << "keeping" << step;
        }
        QTest::newRow("append: write") << "append" << Step::Write;
        QTest::newRow("append: flush") << "append" << Step::Flush;
    }
    void failureChangesNothing() {
        QFETCH(QString, operation);
        QFETCH(Step, step);
        FailingFileSystem files;
        ReminderStore& store = open(kThree, files);
        const auto run = [&](QString* error) {
            if (operation == QLatin1String("append"))
                return store.WriteRecord(4, ReminderRecord::fromBytes(rec("new"), 70), error);
            return operation == QLatin1String("keeping") ? store.RewriteKeeping(notFirst, error)
                                                         : store.RewriteWithout(1, error);
        };
        files.failAt = step;
        QString error;
        QVERIFY(!run(&error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(readFile(dat()), kThree);
        QCOMPARE(store.count(), 3);
        QVERIFY(!QFile::exists(tmp()));
        QCOMPARE(store.ReadRecord(2).bytes(), rec("second", "abc"));
        // The fault was passing: the same store can try again.
        QVERIFY2(run(&error), qPrintable(error));
        QCOMPARE(store.count(), operation == QLatin1String("append") ? 4 : 2);
    }
};

QTEST_GUILESS_MAIN(TestReminderStore)
#include "test_reminder_store.moc"
