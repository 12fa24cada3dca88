// SPDX-License-Identifier: GPL-3.0-or-later
// Printing the list that is showing: what a real PDF printout holds, and each failing step.
#include "gui_fixture.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

// The PDF's text page by page, as pdftotext lays it out; blank lines dropped.
QList<QStringList> pdfPages(const QString& pdf) {
    QProcess tool;
    tool.start("pdftotext", {"-layout", pdf, "-"});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        return {};
    QList<QStringList> out;
    for (const QString& page : QString::fromUtf8(tool.readAllStandardOutput()).split('\f'))
        out << page.split('\n', Qt::SkipEmptyParts);
    out.removeLast(); // after the last page's form feed
    return out;
}

// "Item <n>" one-time reminders for today from `from` down to 1, and the lines of some.
QList<QByteArray> items(int from) {
    QList<QByteArray> records;
    for (int n = from; n >= 1; --n)
        records << recordBytes(QString("Item %1").arg(n, 3, 10, QChar('0')), 'X', 'O',
                               "12/20/2002");
    return records;
}
QStringList itemLines(int from, int to) {
    QStringList lines;
    for (int n = from; n >= to; --n)
        lines << QString("12/20/02 Fri Once Item %1").arg(n, 3, 10, QChar('0'));
    return lines;
}

// The window on 20 December 2002 printing through `printer`, the whole list if `all`.
void start(WindowFixture& f, Printer& printer, const QString& settings, bool all) {
    f.store(settings);
    QVERIFY(f.start(true, &printer).isVisible() && f.started);
    if (all)
        f.action("menushowall")->trigger();
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT

private slots:
    void printsTheListShowing_data() {
        QTest::addColumn<QList<QByteArray>>("records");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("all");
        QTest::addColumn<QList<QStringList>>("pages"); // list lines, blanks collapsed
        // The file holds the items in descending order, so a sorted printout would show itself.
        QTest::newRow("100, all: 48, 48 and 4, file order")
            << items(100) << "" << true
            << QList<QStringList>{itemLines(100, 53), itemLines(52, 5), itemLines(4, 1)};
        QTest::newRow("columns: every frequency word, an unknown code, a tab in a text")
            << QList<QByteArray>{recordBytes("Once text", 'X', 'O', "12/20/2002"),
                                 recordBytes("Weekly text", 'X', 'W', "12/21/2002"),
                                 recordBytes("Monthly text", 'X', 'M', "12/22/2002"),
                                 recordBytes("Odd\ttext", 'X', 'Z', "12/24/2002")}
            << "" << true
            << QList<QStringList>{{"12/20/02 Fri Once Once text", "12/21/02 Sat Weekly Weekly text",
                                   "12/22/02 Sun Monthly Monthly text", "12/24/02 Tue Z Odd text"}};
        QList<QByteArray> days; // one a day from today to today + 9
        QStringList seven;
        for (int d = 0; d < 10; ++d) {
            const QDate day = QDate(2002, 12, 20).addDays(d);
            days << recordBytes(QString("Day %1").arg(d), 'X', 'O', day.toString("MM/dd/yyyy"));
            if (d < 7)
                seven << day.toString("MM/dd/yy ddd") + QString(" Once Day %1").arg(d);
        }
        QTest::newRow("upcoming, Days Checked 2: still seven days")
            << days << "Days Checked=2" << false << QList<QStringList>{seven};
        const QByteArray christmas = recordBytes("Christmas", 'A', 'Y', "25/12/1990");
        QTest::newRow("day-first yearly, all: stored date, no years")
            << QList<QByteArray>{christmas} << "Calendar Format=dd/mm" << true
            << QList<QStringList>{{"25/12/90 Tue Yearly Christmas"}};
        QTest::newRow("day-first yearly, upcoming: this year's date, no years")
            << QList<QByteArray>{christmas} << "Calendar Format=dd/mm" << false
            << QList<QStringList>{{"25/12/02 Wed Yearly Christmas"}};
    }
    void printsTheListShowing() {
        QFETCH(QList<QByteArray>, records);
        QFETCH(QString, settings);
        QFETCH(bool, all);
        QFETCH(QList<QStringList>, pages);
        WindowFixture f(QDate(2002, 12, 20));
        f.writeReminders(records);
        QtPrinter pdf(f.path("out.pdf"));
        start(f, pdf, settings, all);
        const QStringList heading = {"Friday, December 20, 2002",
                                     f.window->windowTitle().simplified()};
        f.press(Qt::Key_P, Qt::ControlModifier);
        QVERIFY2(f.messages.shown.isEmpty(), qPrintable(f.messages.last()));
        const QList<QStringList> printed = pdfPages(f.path("out.pdf"));
        QCOMPARE(printed.size(), pages.size());
        // Dates and texts each start in one column, whatever the frequency word.
        const QRegularExpression columns("^(\\s*)\\S+   \\S+   \\S+\\s+\\S");
        QSet<qsizetype> dateColumns, textColumns;
        for (int i = 0; i < printed.size(); ++i) {
            QStringList lines;
            for (const QString& line : printed[i]) {
                QVERIFY2(!line.contains("years"), qPrintable(line));
                lines << line.simplified();
                if (lines.size() > 2) {
                    const auto match = columns.match(line);
                    QVERIFY2(match.hasMatch(), qPrintable(line));
                    dateColumns << match.capturedLength(1);
                    textColumns << match.capturedLength();
                }
            }
            QCOMPARE(lines.mid(0, 2), heading);
            QCOMPARE(lines.mid(2), pages[i]);
        }
        QVERIFY(dateColumns.size() <= 1 && textColumns.size() <= 1);
        QCOMPARE(f.reminderBytes(), records.join());
    }

    // "" prints through the fake printer, which fails at the named step.
    void failureLeavesAllAsItWas_data() {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QString>("message");
        const QString problem = "Nudgewell: There was a problem printing to your printer.";
        QTest::newRow("printed") << ""
                                 << "";
        QTest::newRow("no default printer") << "none" << problem;
        QTest::newRow("output refused") << "refused" << problem;
        QTest::newRow("new page refused") << "newpage" << problem;
        QTest::newRow("job not finished") << "end" << problem;
        // Not the printer's fault, so the reason is told and nothing is printed.
        QTest::newRow("reminder file unreadable") << "read"
                                                  << "Nudgewell: injected failure";
    }
    void failureLeavesAllAsItWas() {
        QFETCH(QString, failing);
        QFETCH(QString, message);
        WindowFixture f(QDate(2002, 12, 20));
        f.writeReminders(items(60));
        const QString pdfFile = f.path(failing == "refused" ? "missing/out.pdf" : "out.pdf");
        QtPrinter real(failing == "none" ? QString() : pdfFile, [] { return QPrinterInfo(); });
        f.printer.failAt = failing == "newpage" ? FakePrinter::Step::NewPage
                           : failing == "end"   ? FakePrinter::Step::End
                                                : FakePrinter::Step::None;
        const bool fake = failing != "none" && failing != "refused";
        start(f, fake ? static_cast<Printer&>(f.printer) : real, "", true);
        const QStringList shown = f.lines("reminderlist2");
        QWidget* focus = QApplication::focusWidget();
        if (failing == "read")
            f.files.failAt = FailingFileSystem::Step::Read;

        f.press(Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(f.messages.shown.join('|'), message);
        QCOMPARE(f.messages.icons.value(0),
                 failing == "read" ? MessageBoxes::Icon::Warning : MessageBoxes::Icon::None);
        QCOMPARE(f.reminderBytes(), items(60).join());
        QCOMPARE(f.lines("reminderlist2"), shown);
        QCOMPARE(QApplication::focusWidget(), focus);
        QVERIFY(!QApplication::overrideCursor());
        if (fake) { // a job that had begun is dropped, not sent half done; busy while it ran
            QCOMPARE(f.printer.aborted, failing == "newpage" || failing == "end");
            QStringList lines; // on each page, the heading's two included
            for (const QStringList& page : f.printer.pages)
                lines << QString::number(page.size());
            QCOMPARE(lines.join(' '), QString(failing == "read"      ? ""
                                              : failing == "newpage" ? "50 0"
                                                                     : "50 14"));
            QVERIFY(f.printer.busy);
        }
        // The real printer drops a job it has begun, and keeps no partial file.
        QtPrinter pdf(pdfFile);
        if (failing == "end") {
            QVERIFY(pdf.begin(nullptr));
            pdf.printLine(800, 2000, "half");
            pdf.abort();
        }
        QVERIFY(!QFile::exists(pdfFile));
    }
};

QTEST_MAIN(TestPrinting)
#include "test_printing.moc"
