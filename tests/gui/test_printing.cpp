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

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT

private slots:
    // Ctrl+P with the list showing, into a PDF file ("pdf") or through the fake printer failing
    // at a step; "none" has no default printer, "refused" an output it cannot write.
    void print_data() {
        QTest::addColumn<QList<QByteArray>>("records");
        QTest::addColumn<QString>("settings"); // "all" shows the whole list
        QTest::addColumn<QString>("printer");
        QTest::addColumn<QList<QStringList>>("pages"); // list lines below the heading
        QTest::addColumn<QString>("message");
        const auto row = [](const char* name, const QList<QByteArray>& records,
                            const char* settings, const char* printer,
                            const QList<QStringList>& pages, const QString& message = {}) {
            QTest::newRow(name) << records << QString(settings) << QString(printer) << pages
                                << message;
        };
        // The file holds the items in descending order, so a sorted printout would show itself.
        row("100, all: 48, 48 and 4, file order", items(100), "all", "pdf",
            {itemLines(100, 53), itemLines(52, 5), itemLines(4, 1)});
        row("columns: every frequency word, an unknown code, a tab in a text",
            {recordBytes("Once text", 'X', 'O', "12/20/2002"),
             recordBytes("Weekly text", 'X', 'W', "12/21/2002"),
             recordBytes("Monthly text", 'X', 'M', "12/22/2002"),
             recordBytes("Odd\ttext", 'X', 'Z', "12/24/2002")},
            "all", "pdf",
            {{"12/20/02 Fri Once Once text", "12/21/02 Sat Weekly Weekly text",
              "12/22/02 Sun Monthly Monthly text", "12/24/02 Tue Z Odd text"}});
        QList<QByteArray> days; // one a day from today to today + 9
        QStringList seven;
        for (int d = 0; d < 10; ++d) {
            const QDate day = QDate(2002, 12, 20).addDays(d);
            days << recordBytes(QString("Day %1").arg(d), 'X', 'O', day.toString("MM/dd/yyyy"));
            if (d < 7)
                seven << day.toString("MM/dd/yy ddd") + QString(" Once Day %1").arg(d);
        }
        row("upcoming, Days Checked 2: still seven days", days, "Days Checked=2", "pdf", {seven});
        const QByteArray christmas = recordBytes("Christmas", 'A', 'Y', "25/12/1990");
        row("day-first yearly, all: stored date, no years", {christmas},
            "Calendar Format=dd/mm;all", "pdf", {{"25/12/90 Tue Yearly Christmas"}});
        row("day-first yearly, upcoming: this year's date, no years", {christmas},
            "Calendar Format=dd/mm", "pdf", {{"25/12/02 Wed Yearly Christmas"}});
        // A job that had begun is dropped, not sent half done.
        const QString problem = "Nudgewell: There was a problem printing to your printer.";
        row("no default printer", items(60), "all", "none", {}, problem);
        row("output refused", items(60), "all", "refused", {}, problem);
        row("new page refused", items(60), "all", "newpage", {itemLines(60, 13), {}}, problem);
        row("job not finished", items(60), "all", "end", {itemLines(60, 13), itemLines(12, 1)},
            problem);
        // Not the printer's fault, so the reason is told and nothing is printed.
        row("reminder file unreadable", items(60), "all", "read", {},
            "Nudgewell: injected failure");
    }
    void print() {
        QFETCH(QList<QByteArray>, records);
        QFETCH(QString, settings);
        QFETCH(QString, printer);
        QFETCH(QList<QStringList>, pages);
        QFETCH(QString, message);
        WindowFixture f(QDate(2002, 12, 20));
        f.writeReminders(records);
        const QString pdfFile = f.path(printer == "refused" ? "missing/out.pdf" : "out.pdf");
        QtPrinter real(printer == "none" ? QString() : pdfFile, [] { return QPrinterInfo(); });
        f.printer.failAt = printer == "newpage" ? FakePrinter::Step::NewPage
                           : printer == "end"   ? FakePrinter::Step::End
                                                : FakePrinter::Step::None;
        const bool fake = printer == "newpage" || printer == "end" || printer == "read";
        f.store(QString(settings).remove("all"));
        QVERIFY(f.start(true, fake ? static_cast<Printer*>(&f.printer) : &real).isVisible());
        if (settings.contains("all"))
            f.action("menushowall")->trigger();
        const QString list = settings.contains("all") ? "reminderlist2" : "reminderlist";
        const QStringList shown = f.lines(list);
        QWidget* focus = QApplication::focusWidget();
        if (printer == "read")
            f.files.failAt = FailingFileSystem::Step::Read;

        f.press(Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(f.messages.shown.join('|'), message);
        QCOMPARE(f.messages.icons.value(0),
                 printer == "read" ? MessageBoxes::Icon::Warning : MessageBoxes::Icon::None);
        QList<QStringList> printed = fake ? f.printer.pages : pdfPages(pdfFile);
        QCOMPARE(printed.size(), pages.size());
        // Dates and texts each start in one column, whatever the frequency word.
        const QRegularExpression columns("^(\\s*)\\S+   \\S+   \\S+\\s+\\S");
        QSet<qsizetype> dateColumns, textColumns;
        for (int i = 0; i < printed.size(); ++i) {
            for (qsizetype n = 0; n < printed[i].size(); ++n) {
                const QString line = printed[i][n];
                printed[i][n] = line.simplified();
                if (n >= 2 && !fake) {
                    const auto match = columns.match(line);
                    QVERIFY2(match.hasMatch(), qPrintable(line));
                    dateColumns << match.capturedLength(1);
                    textColumns << match.capturedLength();
                }
            }
            if (!printed[i].isEmpty())
                QCOMPARE(printed[i].mid(0, 2), QStringList({"Friday, December 20, 2002",
                                                            f.window->windowTitle().simplified()}));
            QCOMPARE(printed[i].mid(2), pages[i]);
        }
        QVERIFY(dateColumns.size() <= 1 && textColumns.size() <= 1);
        QCOMPARE(f.reminderBytes(), records.join());
        QCOMPARE(f.lines(list), shown);
        QCOMPARE(QApplication::focusWidget(), focus);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(f.printer.aborted, printer == "newpage" || printer == "end");
        QVERIFY(f.printer.busy); // at each line the fake printed
        if (message.isEmpty())
            return;
        // The real printer drops a job it has begun, and keeps no partial file.
        QtPrinter pdf(pdfFile);
        if (printer == "end") {
            QVERIFY(pdf.begin(nullptr));
            pdf.printLine(800, 2000, "half");
            pdf.abort();
        }
        QVERIFY(!QFile::exists(pdfFile));
    }
};

QTEST_MAIN(TestPrinting)
#include "test_printing.moc"
