// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/settings.h"
#include "fakes.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace nudgewell;
using namespace nudgewell::test;
using Step = FailingFileSystem::Step;

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void readAndSave() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Nudgewell.conf"));
        QCOMPARE(SettingsStore(file).get(keys::DaysChecked), QString());
        QVERIFY(SettingsStore(file).save(keys::DaysChecked, QStringLiteral("15")));
        QCOMPARE(SettingsStore(file).get(keys::DaysChecked), QStringLiteral("15"));
        // A store below a plain file cannot be written.
        QString error;
        QVERIFY(!SettingsStore(file + QStringLiteral("/below.conf"))
                     .save(keys::Height, QStringLiteral("5655"), &error));
        QVERIFY(!error.isEmpty());
    }

    // The file stays one QSettings reads and writes: each value goes both ways unchanged.
    void compatible_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("number") << "Days Checked"
                                << "15";
        QTest::newRow("commas") << "Long Date"
                                << "dddd, MMMM dd, yyyy";
        QTest::newRow("blanks around") << "Short Date"
                                       << " d/M/yy ";
        QTest::newRow("quote, backslash, equals") << "Medium Date"
                                                  << "a\"b\\c=d;e";
        QTest::newRow("at sign") << "Copy Date"
                                 << "@Variant(x)";
        QTest::newRow("beyond ASCII") << "Long Date"
                                      << "dddd d. MMMM yyyy – ✓ 年";
        // Found by the fuzzer: a character beyond the basic plane came back as two "?".
        QTest::newRow("beyond the basic plane") << "Long Date"
                                                << "dddd 📅 d MMMM";
        QTest::newRow("control characters") << "Copy Date"
                                            << "a\tb\nc\x01"
                                               "2";
        QTest::newRow("empty") << "Minimize"
                               << "";
        QTest::newRow("odd key") << "Wid/th %x"
                                 << "1";
    }
    void compatible() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QTemporaryDir dir;
        const QString ours = dir.filePath(QStringLiteral("ours.conf"));
        QVERIFY(SettingsStore(ours).save(key, value));
        QSettings readBack(ours, QSettings::IniFormat);
        QCOMPARE(readBack.status(), QSettings::NoError);
        QCOMPARE(readBack.value(QStringLiteral("Nudgewell/") + key).toString(), value);

        const QString theirs = dir.filePath(QStringLiteral("theirs.conf"));
        {
            QSettings written(theirs, QSettings::IniFormat);
            written.setValue(QStringLiteral("Nudgewell/") + key, value);
            written.setValue(QStringLiteral("Other/Kept"), QStringList{"a", "b"});
        }
        const QByteArray before = readFile(theirs);
        SettingsStore store(theirs);
        QCOMPARE(store.readError(), QString());
        QCOMPARE(store.get(key), value);
        // A change to one key leaves every other one as it was.
        QVERIFY(store.save(keys::Height, QStringLiteral("6000")));
        QSettings after(theirs, QSettings::IniFormat);
        QCOMPARE(after.value(QStringLiteral("Nudgewell/") + key).toString(), value);
        QCOMPARE(after.value(QStringLiteral("Other/Kept")).toStringList(), QStringList({"a", "b"}));
        QCOMPARE(after.value(QStringLiteral("Nudgewell/Height")).toString(),
                 QStringLiteral("6000"));
        QVERIFY(before != readFile(theirs));
    }

    // A file that cannot be read is reported as such, with the reason, and never written.
    void unreadable_data() {
        QTest::addColumn<QString>("kind"); // "text:<content>" or a kind of makeNotRegular
        QTest::addColumn<QString>("reason");
        QTest::newRow("section not closed") << "text:[Nudgewell\nHeight=5"
                                            << "not closed";
        QTest::newRow("line without a value") << "text:[Nudgewell]\ngarbage"
                                              << "name=value";
        QTest::newRow("a folder") << "folder"
                                  << "not a regular file";
        QTest::newRow("a pipe") << "pipe"
                                << "not a regular file";
        QTest::newRow("a link to a device") << "device"
                                            << "not a regular file";
    }
    void unreadable() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Nudgewell.conf"));
        if (kind.startsWith(QLatin1String("text:")))
            writeFile(file, kind.mid(5).toUtf8());
        else
            makeNotRegular(file, kind);
        const QByteArray before = readFile(file);
        SettingsStore store(file);
        QVERIFY2(store.readError().contains(reason), qPrintable(store.readError()));
        QVERIFY(store.readError().contains(file));
        QString error;
        QVERIFY(!store.save(
            {{keys::Height, QStringLiteral("6000")}, {keys::Width, QStringLiteral("9000")}},
            &error));
        QVERIFY2(error.contains(QLatin1String("Cannot write")), qPrintable(error));
        QCOMPARE(store.get(keys::Width), QString()); // what the file holds
        QCOMPARE(QFileInfo(file).isFile(), kind.startsWith(QLatin1String("text:")));
        QCOMPARE(readFile(file), before);
        QVERIFY(!QFile::exists(file + QStringLiteral(".tmp")));
    }

    // The file is the user's too: what they add by hand while the program runs is read at
    // use and kept by every write, known key or not; a file they garble is left alone.
    void editedByHand() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Nudgewell.conf"));
        writeFile(file, "[Nudgewell]\nHeight=5000\n");
        SettingsStore store(file);
        QCOMPARE(store.get(keys::CopyDate), QString());
        // An editor's byte order mark stays: a second one after it would otherwise be read
        // as the first.
        const QByteArray byHand = "\xEF\xBB\xBF[Nudgewell]\nHeight=5000\nCopy%20Date=yes\n"
                                  "Notify%20At%20Start=0\nFuture%20Key=1\n\n[Other]\nx=y\n";
        writeFile(file, byHand);
        QCOMPARE(store.get(keys::CopyDate), QStringLiteral("yes"));
        QVERIFY(store.save(
            {{keys::Height, QStringLiteral("6000")}, {keys::Width, QStringLiteral("9000")}}));
        QCOMPARE(readFile(file), QByteArray(byHand)
                                     .replace("Height=5000", "Height=6000")
                                     .replace("Future%20Key=1\n", "Future%20Key=1\nWidth=9000\n"));
        const QByteArray garbled = "[Nudgewell\nHeight=6000\n";
        writeFile(file, garbled);
        QString error;
        QVERIFY(!store.save(keys::Height, QStringLiteral("7000"), &error));
        QVERIFY2(error.contains(QLatin1String("not closed")), qPrintable(error));
        QCOMPARE(readFile(file), garbled);
        QCOMPARE(store.get(keys::Height), QStringLiteral("6000")); // the values last read
    }

    // Leftovers of a run killed while writing (a lock file of QSettings, our temporary file)
    // neither hold a write up nor reach the file.
    void leftovers() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Nudgewell.conf"));
        writeFile(file, "[Nudgewell]\nHeight=5000\n");
        writeFile(file + QStringLiteral(".lock"), "");
        writeFile(file + QStringLiteral(".tmp"), "[Nudgewell]\nHeight=1\n");
        QElapsedTimer timer;
        timer.start();
        SettingsStore store(file);
        QVERIFY(store.save(keys::Width, QStringLiteral("9000")));
        QCOMPARE_LT(timer.elapsed(), 1000);
        QCOMPARE(readFile(file), QByteArray("[Nudgewell]\nHeight=5000\nWidth=9000\n"));
        QVERIFY(!QFile::exists(file + QStringLiteral(".tmp")));
    }

    // What a failed write could not put down is not kept either (every step failing, on disk,
    // is in test_write_paths).
    void failingWrite() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Nudgewell.conf"));
        const QByteArray before("[Nudgewell]\nHeight=5000\nWidth=8000\n");
        writeFile(file, before);
        FailingFileSystem files;
        SettingsStore store(file, files);
        files.failAt = Step::Rename;
        QString error;
        QVERIFY(!store.save(
            {{keys::Height, QStringLiteral("6000")}, {keys::Width, QStringLiteral("9000")}},
            &error));
        QVERIFY2(error.contains(QLatin1String("injected failure")), qPrintable(error));
        QCOMPARE(readFile(file), before);
        QCOMPARE(store.get(keys::Height), QStringLiteral("5000"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"Nudgewell.conf"});
        QVERIFY2(store.save(keys::Minimize, QStringLiteral("1"), &error), qPrintable(error));
        QCOMPARE(readFile(file), QByteArray("[Nudgewell]\nHeight=5000\nWidth=8000\nMinimize=1\n"));
    }

    void daysChecked_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("days");
        QTest::newRow("missing") << "" << 6;
        QTest::newRow("not a number") << "abc" << 6;
        QTest::newRow("negative") << "-1" << 6;
        QTest::newRow("a leap year ahead") << "366" << 366;
        QTest::newRow("past a year") << "367" << 6;
        QTest::newRow("past an int") << "2147483648" << 6;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("fifteen") << "15" << 15;
    }
    void daysChecked() {
        QFETCH(QString, text);
        QFETCH(int, days);
        QCOMPARE(daysCheckedOrDefault(text), days);
    }

    void windowSize_data() {
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QSizeF>("size"); // width x height
        const auto row = [](const char* name, const char* height, const char* width, QSizeF size) {
            QTest::newRow(name) << QString(height) << QString(width) << size;
        };
        row("stored", "6000", "9600", {9600, 6000});
        row("fractions", "6000.5", "9600.25", {9600.25, 6000.5});
        row("none stored", "", "", {8900, 5655});
        row("width garbled", "6000", "wide", {8900, 6000});
        row("width zero", "6000", "0", {8900, 6000});
        row("height garbled: both first-run", "tall", "9600", {8900, 5655});
        row("height negative", "-5", "9600", {8900, 5655});
        row("height too large", "1e6", "9600", {8900, 5655});
        row("height not a number", "nan", "9600", {8900, 5655});
    }
    void windowSize() {
        QFETCH(QString, height);
        QFETCH(QString, width);
        QFETCH(QSizeF, size);
        const WindowSizeTwips got = storedWindowSize(height, width);
        QCOMPARE(QSizeF(got.width, got.height), size);
    }

    void twipsText_data() {
        QTest::addColumn<double>("twips");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 5655.0 << "5655";
        QTest::newRow("fraction") << 5655.5 << "5655.5";
        QTest::newRow("seven significant digits") << 1234567.8 << "1234568";
    }
    void twipsText() {
        QFETCH(double, twips);
        QFETCH(QString, text);
        QCOMPARE(nudgewell::twipsText(twips), text);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
