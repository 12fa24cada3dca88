// SPDX-License-Identifier: GPL-3.0-or-later
// Address books and calendars dropped on the main window.
#include "gui_fixture.h"

#include <QMimeData>

using namespace nudgewell;
using namespace nudgewell::test;

class ImportDropTest : public QObject {
    Q_OBJECT

private slots:
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

QTEST_MAIN(ImportDropTest)
#include "test_import_drop.moc"
