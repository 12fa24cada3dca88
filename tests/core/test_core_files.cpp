// SPDX-License-Identifier: GPL-3.0-or-later
// The data files: reminder.dat as the store, the agenda's reader and a command session read
// and write it (another program changing it meanwhile), the settings file and the start-up log.
// Every step failing on whole records is in test_write_paths; here, what only these show.
#include "data/reminder_reader.h"
#include "data/reminder_session.h"
#include "data/reminder_store.h"
#include "data/settings.h"
#include "data/startup_log_file.h"
#include "fakes.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <fcntl.h>
#include <future>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

using namespace nudgewell;
using namespace nudgewell::test;
using Step = FailingFileSystem::Step;

namespace {

QByteArray rec(const char* text, const QByteArray& reserved = QByteArray(3, '\0')) {
    return recordBytes(QString::fromLatin1(text), 'X', 'O', QStringLiteral("05/12/2002"), reserved);
}

// The second record carries reserved bytes that a plain copy must keep.
const QByteArray kThree = rec("first") + rec("second", "abc") + rec("third");

// Records named by one letter each, for the session: A first, B the highlighted or edited
// one, C last, F theirs, G B as they changed it, P New's placeholder, E the edit, X and Y an
// import.
QByteArray letters(const QString& names) {
    QByteArray bytes;
    for (const QChar name : names)
        bytes += recordBytes(QString(name) + " reminder", 'X', 'Y', QStringLiteral("12/25/2001"));
    return bytes;
}

ReminderRecord named(char name) {
    return ReminderRecord::fromBytes(letters(QString(QLatin1Char(name))).constData(), 70);
}

// What another program does to the file.
void change(const QString& path, const QString& how) {
    const QByteArray name = QFile::encodeName(path);
    if (how == "replaced by rename") {
        writeFile(path + ".sync", letters("ABCF"));
        QVERIFY(::rename(QFile::encodeName(path + ".sync"), name) == 0);
    } else if (how == "record appended" || how == "changed in place") {
        const bool append = how == "record appended";
        const int fd = ::open(name, append ? O_WRONLY | O_APPEND : O_WRONLY);
        QVERIFY(::pwrite(fd, letters(append ? "F" : "G").constData(), 70, append ? 0 : 70) == 70);
        ::close(fd);
    } else if (how == "shortened by one") {
        QVERIFY(::truncate(name, QFileInfo(path).size() - 70) == 0);
    } else if (how == "deleted") {
        QVERIFY(::unlink(name) == 0);
    }
}

} // namespace

class TestCoreFiles : public QObject {
    Q_OBJECT

private slots:
    // Files of any bytes and length, read by the store and by the agenda's reader, against
    // plain arithmetic: 70-byte records, a short last one counted when it holds half a record
    // (a tie to the even count) and read padded with blanks. startup.dat counts 22-byte ones.
    void readAgainstBytes() {
        QRandomGenerator random(19700101);
        QTemporaryDir dir;
        const QString dat = dir.filePath("reminder.dat");
        for (int i = 0; i < 300; ++i) { // the first four are the ties
            QByteArray bytes(i < 4 ? 35 + 70 * i : random.bounded(0, 3 * 70 + 1),
                             Qt::Uninitialized);
            for (char& byte : bytes)
                byte = char(random.bounded(256));
            writeFile(dat, bytes);
            QCOMPARE(CountFromLength(bytes.size(), 22),
                     qint64(std::nearbyint(bytes.size() / 22.0)));
            const int count = int(std::nearbyint(bytes.size() / 70.0));
            const QByteArray expected = bytes.left(70 * count).leftJustified(70 * count, ' ');
            ReminderStore store(dir.path());
            QVERIFY(store.Open(nullptr));
            ReminderFileReader reader;
            QVERIFY(reader.open(dat, nullptr));
            std::vector<ReminderRecord> all;
            QVERIFY(store.readAll(&all, nullptr));
            QByteArray viaStore, viaAll, viaReader;
            for (int n = 1; n <= store.count() + 1; ++n) // one past the end reads as empty
                viaStore += store.ReadRecord(n).bytes();
            for (const ReminderRecord& r : all)
                viaAll += r.bytes();
            for (const ReminderRecord& r : reader.records())
                viaReader += r.bytes();
            QCOMPARE(viaStore, expected + ReminderRecord().bytes());
            QCOMPARE(viaAll, expected);
            QCOMPARE(viaReader, expected);
        }
    }

    // The file after each operation that writes it. A row with a failing step must leave the
    // file as it was, and then succeed on a second try.
    void storeWrites_data() {
        // "seed <format>", "write <n> <text>", "without <k>" or "keeping" (all but "first")
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
        const QByteArray two = rec("old") + rec("next");
        row("56th character dropped", "write 1 " + full + '!', two,
            written(full.toLatin1()) + rec("next"));
        row("Windows-1252", "write 1 Café €5 – naïve", two,
            written(QByteArray("Caf\xE9 ") + '\x80' + "5 \x96 na\xEFve") + rec("next"));
        row("append", "write 4 new", kThree, kThree + written("new"));
        row("without first", "without 1", kThree, kThree.mid(70));
        row("without middle", "without 2", kThree, rec("first") + rec("third"));
        const QByteArray partial = rec("first") + rec("second").left(35); // counts as two
        row("without past end, short last", "without 3", partial, partial + QByteArray(35, ' '));
        row("without the only record", "without 1", rec("first"), "");
        row("keeping zeroes reserved", "keeping", kThree, rec("second") + rec("third"));
        row("keeping none", "keeping", rec("first"), "");
        // A short last record counts as whole when it is half a record or more: an append
        // comes after it, blank-padded as it reads; with less it is written over. A failed
        // append takes back what went down, a torn record included.
        const QByteArray longShort = rec("first") + rec("second").left(40);
        const QByteArray shortShort = rec("first") + rec("second").left(20);
        row("append after a short record", "write 3 new", longShort,
            longShort + QByteArray(30, ' ') + written("new"));
        row("append over a shorter one", "write 2 new", shortShort, rec("first") + written("new"));
        row("append after a short record fails", "write 3 new", longShort, longShort, Step::Write);
        row("append over a shorter one fails", "write 2 new", shortShort, shortShort, Step::Flush);
    }
    void storeWrites() {
        QFETCH(QString, operation);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(Step, failAt);
        const QString verb = operation.section(' ', 0, 0), arg = operation.section(' ', 1, 1);
        QTemporaryDir dir;
        const QString dat = dir.filePath("reminder.dat"), tmp = dir.filePath("reminder.tmp");
        if (!before.isNull())
            writeFile(dat, before);
        // A leftover of an interrupted rewrite must not reach the file.
        if (verb == "without" || verb == "keeping")
            writeFile(tmp, rec("stale") + rec("stale too") + rec("x") + rec("y"));
        FailingFileSystem files;
        files.failAt = failAt;
        ReminderStore store(dir.path(), files);
        QVERIFY(store.Open(nullptr));
        ReminderRecord record;
        record.setText(operation.section(' ', 2));
        const auto run = [&](QString* error) {
            if (verb == "seed")
                return store.SeedSampleRecord(DateOrderFromSetting(arg), error);
            if (verb == "write")
                return store.WriteRecord(arg.toInt(), record, error);
            return verb == "keeping"
                       ? store.RewriteKeeping(
                             [](const ReminderRecord& r) { return r.trimmedText() != "first"; },
                             error)
                       : store.RewriteWithout(arg.toInt(), error);
        };
        QString error;
        QCOMPARE(run(&error), failAt == Step::None);
        QCOMPARE(error.isEmpty(), failAt == Step::None);
        QCOMPARE(readFile(dat), after); // made even when empty
        QCOMPARE(store.count(), int(CountFromLength(after.size(), 70)));
        for (int i = 1; i <= store.count(); ++i) // the store reads the new file
            QCOMPARE(store.ReadRecord(i).bytes(), after.mid(70 * (i - 1), 70).leftJustified(70));
        QVERIFY(!QFile::exists(tmp));
        if (failAt != Step::None)
            QVERIFY2(run(&error), qPrintable(error));
    }

    // Another program changes reminder.dat while a command runs; the file afterwards holds all
    // of theirs and the command's own effect.
    void foreignChange_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("foreign");
        QTest::addColumn<QString>("after"); // '+': saved as new, '-': already gone
        const QStringList changes = {"none",
                                     "replaced by rename",
                                     "record appended",
                                     "changed in place",
                                     "shortened by one",
                                     "deleted",
                                     "appended under the lock"};
        // The file before is ABC; B is current. Per command, the file after each change.
        const struct {
            const char* command;
            QStringList after;
        } rows[] = {
            {"new", {"ABCP", "ABCFP", "ABCFP", "AGCP", "ABP", "P", "ABCFP"}},
            {"save", {"AEC", "AECF", "AECF", "AGCE+", "AE", "E+", "AECF"}},
            {"save after new", {"ABCE", "ABCFE+", "ABCEF", "AGCE", "ABCE+", "E+", "ABCEF"}},
            {"cancel after new", {"ABC", "ABCF-", "ABCF", "AGC", "ABC-", "-", "ABCF"}},
            {"delete", {"AC", "ACF", "ACF", "AGC-", "A", "-", "ACF"}},
            {"purge", {"BC", "BCF", "BCF", "GC", "B", "", "BCF"}},
            {"import", {"ABCXY", "ABCFXY", "ABCFXY", "AGCXY", "ABXY", "XY", "ABCFXY"}},
        };
        for (const auto& row : rows) {
            for (int i = 0; i < changes.size(); ++i)
                QTest::addRow("%s, %s", row.command, qPrintable(changes[i]))
                    << QString(row.command) << changes[i] << row.after[i];
        }
    }
    void foreignChange() {
        QFETCH(QString, command);
        QFETCH(QString, foreign);
        QFETCH(QString, after);
        const bool savedAsNew = after.endsWith('+'), alreadyGone = after.endsWith('-');
        after.remove(QRegularExpression("[-+]$"));
        QTemporaryDir dir;
        const QString dat = dir.filePath("reminder.dat");
        writeFile(dat, letters("ABC"));
        ReminderSession session(dir.path(), FileSystem::real());
        QString error;
        QVERIFY2(session.open(&error), qPrintable(error));
        session.setCurrent(2);
        if (command == "save")
            QVERIFY(session.beginEdit());
        else if (command.endsWith("after new"))
            QVERIFY(session.beginNew(named('P')).tookEffect());

        std::thread holder;
        if (foreign == "appended under the lock") {
            // A cooperating program: it holds the lock while it appends, and the command waits.
            std::promise<void> locked;
            holder = std::thread([&dat, &locked] {
                const int fd = ::open(QFile::encodeName(dat), O_WRONLY | O_APPEND);
                ::flock(fd, LOCK_EX);
                locked.set_value();
                ::usleep(200000);
                if (::write(fd, letters("F").constData(), 70) != 70)
                    qFatal("cannot append");
                ::close(fd);
            });
            locked.get_future().wait();
        } else {
            change(dat, foreign);
        }
        QSignalSpy written(&session, &ReminderSession::recordsWritten);
        const ReminderSession::Result result =
            command == "new"                ? session.beginNew(named('P'))
            : command.startsWith("save")    ? session.save(named('E'))
            : command == "cancel after new" ? session.cancel()
            : command == "delete"           ? session.deleteCurrent()
            : command == "purge"
                ? session.purge([](const ReminderRecord& r) { return r != named('A'); })
                : session.addRecords({named('X'), named('Y')});
        if (holder.joinable())
            holder.join();

        QVERIFY2(result.outcome == WriteResult::Outcome::Done, qPrintable(result.reason));
        QCOMPARE(readFile(dat), letters(after));
        QCOMPARE(result.savedAsNew, savedAsNew);
        QCOMPARE(result.alreadyGone, alreadyGone);
        QCOMPARE(written.size(), alreadyGone ? 0 : 1);
        // The session holds what the file holds, and the editor is closed.
        QByteArray held;
        for (const ReminderRecord& r : session.records())
            held += r.bytes();
        QCOMPARE(held, letters(after));
        if (command != "new")
            QCOMPARE(session.editMode(), ReminderSession::EditMode::None);
        if (command.startsWith("save"))
            QCOMPARE(session.record(session.current()), named('E'));
    }

    // The settings file stays one QSettings reads and writes: each value goes both ways
    // unchanged, and a change to one key leaves every other one as it was.
    void settingsCompatible_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const auto row = [](const char* name, const char* key, const QString& value) {
            QTest::newRow(name) << QString(key) << value;
        };
        row("number", "Days Checked", "15");
        row("commas", "Long Date", "dddd, MMMM dd, yyyy");
        row("blanks around", "Short Date", " d/M/yy ");
        row("quote, backslash, equals", "Medium Date", "a\"b\\c=d;e");
        row("at sign", "Copy Date", "@Variant(x)");
        row("beyond ASCII", "Long Date", "dddd d. MMMM yyyy – ✓ 年");
        // Found by the fuzzer: a character beyond the basic plane came back as two "?".
        row("beyond the basic plane", "Long Date", "dddd 📅 d MMMM");
        row("control characters", "Copy Date",
            "a\tb\nc\x01"
            "2");
        row("empty", "Minimize", "");
        row("odd key", "Wid/th %x", "1");
    }
    void settingsCompatible() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QTemporaryDir dir;
        const QString ours = dir.filePath("ours.conf"), theirs = dir.filePath("theirs.conf");
        QVERIFY(SettingsStore(ours).save(key, value));
        QSettings readBack(ours, QSettings::IniFormat);
        QCOMPARE(readBack.status(), QSettings::NoError);
        QCOMPARE(readBack.value("Nudgewell/" + key).toString(), value);
        {
            QSettings written(theirs, QSettings::IniFormat);
            written.setValue("Nudgewell/" + key, value);
            written.setValue("Other/Kept", QStringList{"a", "b"});
        }
        SettingsStore store(theirs);
        QCOMPARE(store.readError(), QString());
        QCOMPARE(store.get(key), value);
        QVERIFY(store.save(keys::Height, "6000"));
        QSettings after(theirs, QSettings::IniFormat);
        QCOMPARE(after.value("Nudgewell/" + key).toString(), value);
        QCOMPARE(after.value("Other/Kept").toStringList(), QStringList({"a", "b"}));
        QCOMPARE(after.value("Nudgewell/Height").toString(), "6000");
    }

    // A settings file that cannot be read is reported as such, with the reason, and never
    // written.
    void settingsUnreadable_data() {
        QTest::addColumn<QString>("kind"); // "text:<content>" or a kind of makeNotRegular
        QTest::addColumn<QString>("reason");
        QTest::newRow("section not closed") << "text:[Nudgewell\nHeight=5"
                                            << "not closed";
        QTest::newRow("line without a value") << "text:[Nudgewell]\ngarbage"
                                              << "name=value";
        for (const char* kind : {"folder", "pipe", "device"})
            QTest::newRow(kind) << kind << "not a regular file";
    }
    void settingsUnreadable() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString file = dir.filePath("Nudgewell.conf");
        if (kind.startsWith("text:"))
            writeFile(file, kind.mid(5).toUtf8());
        else
            makeNotRegular(file, kind);
        const QByteArray before = readFile(file);
        SettingsStore store(file);
        QVERIFY2(store.readError().contains(reason), qPrintable(store.readError()));
        QVERIFY(store.readError().contains(file));
        QString error;
        QVERIFY(!store.save({{keys::Height, "6000"}, {keys::Width, "9000"}}, &error));
        QVERIFY2(error.contains("Cannot write"), qPrintable(error));
        QCOMPARE(store.get(keys::Width), QString()); // what the file holds
        QCOMPARE(QFileInfo(file).isFile(), kind.startsWith("text:"));
        QCOMPARE(readFile(file), before);
        QVERIFY(!QFile::exists(file + ".tmp"));
    }

    // The file is the user's too: what they add by hand while the program runs is read at
    // use and kept by every write, known key or not; a file they garble is left alone.
    void settingsEditedByHand() {
        QTemporaryDir dir;
        const QString file = dir.filePath("Nudgewell.conf");
        writeFile(file, "[Nudgewell]\nHeight=5000\n");
        SettingsStore store(file);
        QCOMPARE(store.get(keys::CopyDate), QString());
        // An editor's byte order mark stays: a second one after it would otherwise be read
        // as the first.
        const QByteArray byHand = "\xEF\xBB\xBF[Nudgewell]\nHeight=5000\nCopy%20Date=yes\n"
                                  "Notify%20At%20Start=0\nFuture%20Key=1\n\n[Other]\nx=y\n";
        writeFile(file, byHand);
        QCOMPARE(store.get(keys::CopyDate), "yes");
        QVERIFY(store.save({{keys::Height, "6000"}, {keys::Width, "9000"}}));
        QCOMPARE(readFile(file), QByteArray(byHand)
                                     .replace("Height=5000", "Height=6000")
                                     .replace("Future%20Key=1\n", "Future%20Key=1\nWidth=9000\n"));
        const QByteArray garbled = "[Nudgewell\nHeight=6000\n";
        writeFile(file, garbled);
        QString error;
        QVERIFY(!store.save(keys::Height, "7000", &error));
        QVERIFY2(error.contains("not closed"), qPrintable(error));
        QCOMPARE(readFile(file), garbled);
        QCOMPARE(store.get(keys::Height), "6000"); // the values last read
    }

    // Leftovers of a run killed while writing (a lock file of QSettings, our temporary file)
    // neither hold a write up nor reach the file; what a failed write could not put down is
    // not kept either.
    void settingsLeftoversAndFailure() {
        QTemporaryDir dir;
        const QString file = dir.filePath("Nudgewell.conf");
        writeFile(file, "[Nudgewell]\nHeight=5000\n");
        writeFile(file + ".lock", "");
        writeFile(file + ".tmp", "[Nudgewell]\nHeight=1\n");
        QElapsedTimer timer;
        timer.start();
        FailingFileSystem files;
        SettingsStore store(file, files);
        QVERIFY(store.save(keys::Width, "8000"));
        QCOMPARE_LT(timer.elapsed(), 1000);
        QCOMPARE(readFile(file), "[Nudgewell]\nHeight=5000\nWidth=8000\n");
        files.failAt = Step::Rename;
        QString error;
        QVERIFY(!store.save({{keys::Height, "6000"}, {keys::Width, "9000"}}, &error));
        QVERIFY2(error.contains("injected failure"), qPrintable(error));
        QCOMPARE(store.get(keys::Height), "5000");
        QVERIFY(!QFile::exists(file + ".tmp"));
        QVERIFY2(store.save(keys::Minimize, "1", &error), qPrintable(error));
        QCOMPARE(readFile(file), "[Nudgewell]\nHeight=5000\nWidth=8000\nMinimize=1\n");
    }

    // The record of a start at 10:30:15 on 17 October 2002. Its time is the locale's long time
    // without the zone, padded or cut to 12 bytes.
    void startupAppend_data() {
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
        row("time the file cannot hold, in English", "dd/mm", "ja_JP", us);
        row("partial record rounds down", "dd/mm", "en_US", QByteArray(66, '#') + us, 70);
        // A failed write takes back what went down, a torn last record included.
        row("write fails, partial kept", "dd/mm", "en_US", QByteArray(70, '#'), 70, Step::Write);
    }
    void startupAppend() {
        QFETCH(QString, calendarFormat);
        QFETCH(QString, locale);
        QFETCH(int, existing);
        QFETCH(QByteArray, after);
        QFETCH(Step, failAt);
        QTemporaryDir dir;
        const QString path = dir.filePath("startup.dat");
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
        QCOMPARE(readFile(path), after);
    }
};

QTEST_GUILESS_MAIN(TestCoreFiles)
#include "test_core_files.moc"
