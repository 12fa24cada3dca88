// SPDX-License-Identifier: GPL-3.0-or-later
// Address books and calendars written by other programs, read into reminder.dat: exactly the
// records they should give, nothing twice, and the export read back unchanged; and dropped on
// the main window.
#include "agenda/ical.h"
#include "data/reminder_reader.h"
#include "gui_fixture.h"
#include "import/importer.h"

#include <QBuffer>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

// "text|years flag|frequency|date" per record.
QStringList recordsIn(const QByteArray& file) {
    QStringList out;
    for (qsizetype at = 0; at + ReminderRecord::Size <= file.size(); at += ReminderRecord::Size) {
        const ReminderRecord r = ReminderRecord::fromBytes(file.constData() + at, 70);
        out << QStringLiteral("%1|%2|%3|%4")
                   .arg(r.trimmedText(), QChar(r.yearsFlag()), QChar(r.frequencyCode()),
                        r.dateText());
    }
    return out;
}

} // namespace

class ImportTest : public QObject {
    Q_OBJECT

private slots:
    // Each file imported into an empty folder, then again: the second time adds nothing and
    // leaves the file as it was.
    void importsWhatTheFilesHold_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("records");
        QTest::addColumn<int>("skipped");
        QTest::addColumn<int>("unread");
        QTest::newRow("vobject 3.0: escapes, 55 characters, code page")
            << QStringList{"vobject.vcf"}
            << QStringList{"Birthday: Anna Berg|A|Y|08/12/1960",
                           u"Birthday: Dupont, \u00c9mile; Jr. \\ Zo\u00eb|A|Y|12/31/1985"_qs,
                           "Birthday: Bartholomew Featherstonehaugh-Cholmondeley of|A|Y|01/01/2001",
                           u"Anniversary: ukasz ak \u0152uvre|A|Y|05/15/2010"_qs}
            << 0 << 0;
        QTest::newRow("icalendar: frequencies, zones, rules that cannot be kept")
            << QStringList{"icalendar.ics"}
            << QStringList{"Dentist|X|O|03/05/2024",       "Wedding day|X|Y|06/19/1999",
                           "Rent|X|M|01/31/2024",          "Choir|X|W|04/02/2024",
                           "Auckland call|X|O|03/01/2024", "Late in UTC|X|O|03/01/2024",
                           "Years since|A|Y|05/04/1970"}
            << 7 << 0;
        QTest::newRow("2.1 quoted-printable, --MM-DD")
            << QStringList{"phone-2.1.vcf"}
            << QStringList{u"Birthday: J\u00fcrgen M\u00fcller|A|Y|03/04/1988"_qs,
                           "Birthday: Grandma|X|Y|03/09/2000"}
            << 0 << 0;
        QTest::newRow("4.0 folded, VALUE=date, time part")
            << QStringList{"mail-4.0.vcf"}
            << QStringList{"Birthday: Chris Olsen|A|Y|02/29/1972",
                           "Anniversary: Chris Olsen|A|Y|07/16/2005"}
            << 0 << 0;
        QTest::newRow("LF, and twice in one import")
            << QStringList{"desktop-3.0.vcf", "desktop-3.0.vcf"}
            << QStringList{"Birthday: Mia Lind|A|Y|02/28/1975",
                           "Anniversary: Mia Lind|A|Y|06/16/2001"}
            << 0 << 0;
        QTest::newRow("BOM, --0229, Latin-1")
            << QStringList{"contacts-bom.vcf"}
            << QStringList{"Birthday: Leap Kid|X|Y|02/29/2000",
                           u"Anniversary: Ren\u00e9e|A|Y|10/10/1990"_qs}
            << 0 << 0;
        QTest::newRow("no dates, nested agent, no name, year 50, cut short")
            << QStringList{"odd.vcf"} << QStringList{} << 6 << 0;
        QTest::newRow("unreadable files add nothing, the others are read")
            << QStringList{"plain.vcf", "missing.vcf", "empty.ics", "mail-4.0.vcf"}
            << QStringList{"Birthday: Chris Olsen|A|Y|02/29/1972",
                           "Anniversary: Chris Olsen|A|Y|07/16/2005"}
            << 0 << 3;
    }
    void importsWhatTheFilesHold() {
        QFETCH(QStringList, files);
        QFETCH(QStringList, records);
        QFETCH(int, skipped);
        QFETCH(int, unread);
        for (QString& file : files)
            file = QStringLiteral(FIXTURES "/") + file;
        QTemporaryDir dir;
        ReminderSession store(dir.path(), FileSystem::real());
        QVERIFY(store.open(nullptr));
        const ImportReport first =
            importFiles(files, store, DateOrder::MonthFirst, DateOrder::MonthFirst);
        const QByteArray written = readFile(store.path());
        QCOMPARE(recordsIn(written), records);
        QCOMPARE(written.size(), records.size() * ReminderRecord::Size);
        QCOMPARE(first.added, records.size());
        QCOMPARE(first.skipped, skipped);
        QCOMPARE(first.unreadFiles, unread);
        QCOMPARE(first.problems.size(), skipped + unread);
        QCOMPARE(first.exitStatus(), unread > 0 ? 1 : 0);

        const ImportReport second =
            importFiles(files, store, DateOrder::MonthFirst, DateOrder::MonthFirst);
        QCOMPARE(second.added, 0);
        QCOMPARE(second.alreadyThere, first.added + first.alreadyThere);
        QCOMPARE(readFile(store.path()), written);
    }

    // A failed write adds nothing and says why (each write step and a short last record are
    // the store's, checked in test_write_paths and test_core).
    void failedWriteAddsNothing() {
        QTemporaryDir dir;
        FailingFileSystem files;
        ReminderSession store(dir.path(), files);
        QVERIFY(store.open(nullptr));
        files.failAt = FailingFileSystem::Step::Flush;
        const ImportReport report =
            importFiles({QStringLiteral(FIXTURES "/desktop-3.0.vcf")}, store, DateOrder::MonthFirst,
                        DateOrder::MonthFirst);
        QCOMPARE(readFile(store.path()), QByteArray());
        QCOMPARE(report.added, 0);
        QCOMPARE(report.exitStatus(), 1);
        QVERIFY(report.failure.contains("injected failure"));
    }

    // The export read back into an empty folder gives the same records, byte for byte, in
    // either date order.
    void readsItsOwnExportBack_data() {
        QTest::addColumn<DateOrder>("order");
        QTest::newRow("month first") << DateOrder::MonthFirst;
        QTest::newRow("day first") << DateOrder::DayFirst;
    }
    void readsItsOwnExportBack() {
        QFETCH(DateOrder, order);
        const bool dayFirst = order == DateOrder::DayFirst;
        const auto date = [dayFirst](int m, int d, int y) {
            return QString::asprintf("%02d/%02d/%04d", dayFirst ? d : m, dayFirst ? m : d, y);
        };
        std::vector<ReminderRecord> records;
        for (const auto& [text, flag, code, day] :
             std::initializer_list<std::tuple<QString, char, char, QString>>{
                 {"Christmas Day", 'X', 'Y', date(12, 25, 2001)},
                 {"Leap birthday", 'A', 'Y', date(2, 29, 1972)},
                 {"Rent", 'X', 'M', date(1, 31, 2027)},
                 {"Bins out", 'X', 'W', date(3, 17, 2027)},
                 {u"Caf\u00e9, tea; milk \\ sugar \u20ac"_qs, 'A', 'O', date(5, 12, 2027)},
                 {QString(55, QChar(0x20AC)), 'X', 'O', date(1, 2, 2027)}})
            records.push_back(
                ReminderRecord::fromBytes(recordBytes(text, flag, code, day).data(), 70));

        QTemporaryDir dir;
        QBuffer exported;
        exported.open(QIODevice::WriteOnly);
        ICalendarCounts counts;
        QVERIFY(writeICalendar(records, order, QDateTime::currentDateTimeUtc(), exported, &counts));
        writeFile(dir.filePath("export.ics"), exported.data());
        ReminderSession store(dir.path(), FileSystem::real());
        QVERIFY(store.open(nullptr));
        const ImportReport report = importFiles({dir.filePath("export.ics")}, store, order, order);
        QCOMPARE(report.summary(), "6 reminders added, 0 already there, 0 skipped.");
        const auto sorted = [](std::span<const ReminderRecord> in) {
            QByteArrayList out;
            for (const ReminderRecord& r : in)
                out << r.bytes();
            std::sort(out.begin(), out.end());
            return out;
        };
        ReminderFileReader file; // what is on disk
        QVERIFY(file.open(store.path(), nullptr));
        QCOMPARE(sorted(file.records()), sorted(records));
    }

    // Only .vcf and .ics files, and only while browsing; then one message box says what came
    // of it and the list of every reminder shows them.
    void dropsImportWhileBrowsing_data() {
        QTest::addColumn<bool>("editing");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("box"); // empty: the drop is refused
        QTest::addColumn<int>("records");
        QTest::newRow("cards and a missing calendar")
            << false << QStringList{"cards.VCF", "gone.ics"}
            << "Nudgewell: 1 reminder added, 0 already there, 1 skipped.\n"
               "%1/cards.VCF: card 2 (Bo): skipped: \"1999\" names no month and day\n"
               "%1/gone.ics: not read: No such file or directory"
            << 2;
        QTest::newRow("another kind of file")
            << false << QStringList{"cards.VCF", "notes.txt"} << "" << 1;
        QTest::newRow("while editing") << true << QStringList{"cards.VCF"} << "" << 2;
    }
    void dropsImportWhileBrowsing() {
        QFETCH(bool, editing);
        QFETCH(QStringList, names);
        QFETCH(QString, box);
        QFETCH(int, records);
        WindowFixture f;
        writeFile(f.path("cards.VCF"), "BEGIN:VCARD\nFN:Al\nBDAY:19700101\nEND:VCARD\n"
                                       "BEGIN:VCARD\nFN:Bo\nBDAY:1999\nEND:VCARD\n");
        MainWindow& window = f.start();
        QVERIFY(f.started);
        if (editing)
            f.press(Qt::Key_F5);
        QList<QUrl> urls;
        for (const QString& name : names)
            urls << QUrl::fromLocalFile(f.path(name));
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&window, &enter);
        QCOMPARE(enter.isAccepted(), !box.isEmpty());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &drop);
        QCOMPARE(f.messages.shown.join("|"), box.arg(f.dir.path()));
        QCOMPARE(window.recordCount(), records);
        if (!box.isEmpty()) {
            QCOMPARE(window.view(), View::All);
            QVERIFY(f.lines("reminderlist2").join("|").contains("Birthday: Al"));
            QCOMPARE(QApplication::focusWidget(), f.find<QWidget>("reminderlist2"));
        }
    }
};

QTEST_MAIN(ImportTest)
#include "test_import.moc"
