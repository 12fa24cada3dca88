// SPDX-License-Identifier: GPL-3.0-or-later
// Printing the list that is showing, through the real printer code into a PDF file.
#include "gui_fixture.h"

#include <QCursor>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

// Passes every call on, noting the cursor the user sees while each line is printed.
class CursorProbe final : public Printer {
public:
    explicit CursorProbe(Printer& inner) : m_inner(inner) {}
    QList<int> shapes; // -1 for no busy cursor

    bool begin(QString* error) override { return m_inner.begin(error); }
    double lineHeightTwips() const override { return m_inner.lineHeightTwips(); }
    double pageHeightTwips() const override { return m_inner.pageHeightTwips(); }
    void printLine(double left, double top, const QString& text) override {
        const QCursor* cursor = QApplication::overrideCursor();
        shapes << (cursor ? int(cursor->shape()) : -1);
        m_inner.printLine(left, top, text);
    }
    bool newPage(QString* error) override { return m_inner.newPage(error); }
    bool end(QString* error) override { return m_inner.end(error); }
    void abort() override { m_inner.abort(); }

private:
    Printer& m_inner;
};

// Starts the fixture's window on 20 December 2002 with this printer in place of the fake.
void start(WindowFixture& f, Printer& printer, const QString& settings, bool all) {
    f.store(settings);
    QVERIFY(f.start(true, &printer).isVisible() && f.started);
    if (all)
        f.action("menushowall")->trigger();
}

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

// "Item <n>" one-time reminders for today, n from `from` down to `to`, and their lines.
QList<QByteArray> items(int from, int to) {
    QList<QByteArray> records;
    for (int n = from; n >= to; --n)
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
    void printsTheListShowing_data() {
        QTest::addColumn<QList<QByteArray>>("records");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("all");
        QTest::addColumn<QList<QStringList>>("pages"); // list lines, blanks collapsed
        // The file holds the items in descending order, so a sorted printout would show itself.
        QTest::newRow("100, all: 48, 48 and 4, file order")
            << items(100, 1) << "" << true
            << QList<QStringList>{itemLines(100, 53), itemLines(52, 5), itemLines(4, 1)};
        QTest::newRow("48, all: a second page with only the heading")
            << items(48, 1) << "" << true << QList<QStringList>{itemLines(48, 1), {}};
        QTest::newRow("columns: every frequency word, an unknown code, a tab in a text")
            << QList<QByteArray>{recordBytes("Once text", 'X', 'O', "12/20/2002"),
                                 recordBytes("Weekly text", 'X', 'W', "12/21/2002"),
                                 recordBytes("Monthly text", 'X', 'M', "12/22/2002"),
                                 recordBytes("Odd\ttext", 'X', 'Z', "12/24/2002")}
            << "" << true
            << QList<QStringList>{{"12/20/02 Fri Once Once text", "12/21/02 Sat Weekly Weekly text",
                                   "12/22/02 Sun Monthly Monthly text", "12/24/02 Tue Z Odd text"}};
        QList<QByteArray> days; // one a day from today to today + 9
        for (int d = 0; d < 10; ++d)
            days << recordBytes(QString("Day %1").arg(d), 'X', 'O',
                                QDate(2002, 12, 20).addDays(d).toString("MM/dd/yyyy"));
        const QStringList seven = {"12/20/02 Fri Once Day 0", "12/21/02 Sat Once Day 1",
                                   "12/22/02 Sun Once Day 2", "12/23/02 Mon Once Day 3",
                                   "12/24/02 Tue Once Day 4", "12/25/02 Wed Once Day 5",
                                   "12/26/02 Thu Once Day 6"};
        QTest::newRow("upcoming, Days Checked 2: still seven days")
            << days << "Days Checked=2" << false << QList<QStringList>{seven};
        QTest::newRow("upcoming, Days Checked 15: only seven days")
            << days << "Days Checked=15" << false << QList<QStringList>{seven};
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
        CursorProbe probe(pdf);
        start(f, probe, settings, all);
        const QStringList heading = {"Friday, December 20, 2002",
                                     f.window->windowTitle().simplified()};
        QWidget* focus = QApplication::focusWidget();

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
        QVERIFY(!probe.shapes.isEmpty());
        QCOMPARE(probe.shapes.count(int(Qt::WaitCursor)), probe.shapes.size());
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(f.reminderBytes(), records.join());
        QCOMPARE(QApplication::focusWidget(), focus);
    }

    void failureLeavesAllAsItWas_data() {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QString>("message");
        const QString problem = "Nudgewell: There was a problem printing to your printer.";
        QTest::newRow("no default printer") << "none" << problem;
        QTest::newRow("output refused") << "refused" << problem;
        QTest::newRow("job not started") << "begin" << problem;
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
        f.writeReminders(items(60, 1));
        const QString pdfFile = f.path(failing == "refused" ? "missing/out.pdf" : "out.pdf");
        QtPrinter real(failing == "none" ? QString() : pdfFile, [] { return QPrinterInfo(); });
        const QHash<QString, FakePrinter::Step> steps = {{"begin", FakePrinter::Step::Begin},
                                                         {"newpage", FakePrinter::Step::NewPage},
                                                         {"end", FakePrinter::Step::End}};
        f.printer.failAt = steps.value(failing, FakePrinter::Step::None);
        const bool fake = failing != "none" && failing != "refused";
        start(f, fake ? static_cast<Printer&>(f.printer) : real, "", true);
        const QStringList shown = f.lines("reminderlist2");
        QWidget* focus = QApplication::focusWidget();
        if (failing == "read")
            f.files.failAt = FailingFileSystem::Step::Read;

        f.press(Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(f.messages.shown, QStringList(message));
        QCOMPARE(f.messages.icons.value(0),
                 failing == "read" ? MessageBoxes::Icon::Warning : MessageBoxes::Icon::None);
        QCOMPARE(f.reminderBytes(), items(60, 1).join());
        QCOMPARE(f.lines("reminderlist2"), shown);
        QCOMPARE(QApplication::focusWidget(), focus);
        QVERIFY(!QApplication::overrideCursor());
        if (fake) { // a job that had begun is dropped, not sent half done
            QCOMPARE(f.printer.aborted, failing == "newpage" || failing == "end");
            QCOMPARE(f.printer.pages.isEmpty(), failing == "read");
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
