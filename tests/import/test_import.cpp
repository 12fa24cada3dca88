// SPDX-License-Identifier: GPL-3.0-or-later
// Address books and calendars written by other programs, read into reminder.dat: exactly the
// records they should give, nothing twice; and dropped on the main window. (The export read
// back: tst_agenda.)
#include "gui_fixture.h"
#include "import/importer.h"

#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

using namespace nudgewell;
using namespace nudgewell::test;

class ImportTest : public QObject {
    Q_OBJECT

private slots:
    // Every file imported into an empty folder, first with a write that fails, which adds
    // nothing and says why (the store's write steps: test_write_paths); then the records each
    // file should give, in file order, unreadable files left out; and again, which adds nothing
    // and leaves the file as it was.
    void importsWhatTheFilesHold() {
        QStringList files;
        for (const char* name : {"vobject.vcf", "icalendar.ics", "phone-2.1.vcf", "plain.vcf",
                                 "mail-4.0.vcf", "missing.vcf", "desktop-3.0.vcf",
                                 "desktop-3.0.vcf", "empty.ics", "contacts-bom.vcf", "odd.vcf"})
            files << QStringLiteral(FIXTURES "/") + QLatin1String(name);
        const QStringList records{
            // vobject 3.0: escapes, 55 characters, the code page
            "Birthday: Anna Berg|A|Y|08/12/1960",
            u"Birthday: Dupont, \u00c9mile; Jr. \\ Zo\u00eb|A|Y|12/31/1985"_qs,
            "Birthday: Bartholomew Featherstonehaugh-Cholmondeley of|A|Y|01/01/2001",
            u"Anniversary: ukasz ak \u0152uvre|A|Y|05/15/2010"_qs,
            // icalendar: frequencies, zones; 7 rules that cannot be kept are skipped
            "Dentist|X|O|03/05/2024", "Wedding day|X|Y|06/19/1999", "Rent|X|M|01/31/2024",
            "Choir|X|W|04/02/2024", "Auckland call|X|O|03/01/2024", "Late in UTC|X|O|03/01/2024",
            "Years since|A|Y|05/04/1970",
            // 2.1 quoted-printable, --MM-DD; 4.0 folded, VALUE=date, a time part
            u"Birthday: J\u00fcrgen M\u00fcller|A|Y|03/04/1988"_qs,
            "Birthday: Grandma|X|Y|03/09/2000", "Birthday: Chris Olsen|A|Y|02/29/1972",
            "Anniversary: Chris Olsen|A|Y|07/16/2005",
            // LF, twice in one import; a byte order mark, --0229, Latin-1
            "Birthday: Mia Lind|A|Y|02/28/1975", "Anniversary: Mia Lind|A|Y|06/16/2001",
            "Birthday: Leap Kid|X|Y|02/29/2000", u"Anniversary: Ren\u00e9e|A|Y|10/10/1990"_qs};
        // odd.vcf: no dates, a nested agent, no name, year 50, a card cut short: 6 skipped.
        const int skipped = 7 + 6, unread = 3;

        QTemporaryDir dir;
        FailingFileSystem fileSystem;
        ReminderSession store(dir.path(), fileSystem);
        QVERIFY(store.open(nullptr));
        fileSystem.failAt = FailingFileSystem::Step::Flush;
        const auto import = [&] {
            return importFiles(files, store, DateOrder::MonthFirst, DateOrder::MonthFirst);
        };
        const ImportReport failed = import();
        QCOMPARE(readFile(store.path()), QByteArray());
        QVERIFY(failed.added == 0 && failed.exitStatus() == 1 &&
                failed.failure.contains("injected failure"));

        const ImportReport first = import();
        const QByteArray written = readFile(store.path());
        QByteArray expected;
        for (const QString& record : records) {
            const QStringList f = record.split(u'|');
            expected += recordBytes(f[0], f[1][0].toLatin1(), f[2][0].toLatin1(), f[3]);
        }
        QCOMPARE(written, expected);
        // already there, skipped, unread files, problems told, exit status
        QCOMPARE(QList<qsizetype>({first.alreadyThere, first.skipped, first.unreadFiles,
                                   first.problems.size(), first.exitStatus()}),
                 QList<qsizetype>({2, skipped, unread, skipped + unread, 1}));

        const ImportReport second = import();
        QCOMPARE(second.added, 0);
        QCOMPARE(second.alreadyThere, first.added + first.alreadyThere);
        QCOMPARE(readFile(store.path()), written);
    }

    // Only .vcf and .ics files, and only while browsing; then one message box says what came
    // of it and the list of every reminder shows them.
    void dropsImportWhileBrowsing() {
        WindowFixture f;
        writeFile(f.path("cards.VCF"), "BEGIN:VCARD\nFN:Al\nBDAY:19700101\nEND:VCARD\n"
                                       "BEGIN:VCARD\nFN:Bo\nBDAY:1999\nEND:VCARD\n");
        writeFile(f.path("more.vcf"), "BEGIN:VCARD\nFN:Cy\nBDAY:19700101\nEND:VCARD\n");
        MainWindow& window = f.start();
        QVERIFY(f.started);
        const auto drop = [&](const QStringList& names) { // true: taken
            QList<QUrl> urls;
            for (const QString& name : names)
                urls << QUrl::fromLocalFile(f.path(name));
            QMimeData data;
            data.setUrls(urls);
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                                  Qt::NoModifier);
            QApplication::sendEvent(&window, &enter);
            QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&window, &drop);
            return enter.isAccepted();
        };
        QVERIFY(!drop({"cards.VCF", "notes.txt"}));
        QCOMPARE(window.recordCount(), 1);
        QVERIFY(drop({"cards.VCF", "gone.ics"}));
        QCOMPARE(f.messages.shown.join("|"),
                 QString("Nudgewell: 1 reminder added, 0 already there, 1 skipped.\n"
                         "%1/cards.VCF: card 2 (Bo): skipped: \"1999\" names no month and day\n"
                         "%1/gone.ics: not read: No such file or directory")
                     .arg(f.dir.path()));
        QCOMPARE(window.recordCount(), 2);
        QCOMPARE(window.view(), View::All);
        QVERIFY(f.lines("reminderlist2").join("|").contains("Birthday: Al"));
        QCOMPARE(QApplication::focusWidget(), f.find<QWidget>("reminderlist2"));
        f.press(Qt::Key_F5); // editing a new reminder
        QVERIFY(!drop({"more.vcf"}));
        QCOMPARE(window.recordCount(), 3);
        QCOMPARE(f.messages.shown.size(), 1);
    }
};

QTEST_MAIN(ImportTest)
#include "test_import.moc"
