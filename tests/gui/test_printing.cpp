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

// Passes every call on, noting the cursor the user sees while lines are printed.
class CursorProbe final : public Printer {
public:
    explicit CursorProbe(Printer& inner) : m_inner(inner) {}
    QList<int> shapes; // one per printed line; -1 for no busy cursor

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

// Starts the fixture's window with its own printer in place of the fake.
MainWindow& startWith(WindowFixture& f, Printer& printer) {
    f.window =
        std::make_unique<MainWindow>(Services{f.clock, f.settings, f.messages, f.help, f.files,
                                              printer, f.clipboard, f.systemDate, f.dir.path()});
    f.started = f.window->startUp();
    f.window->showAsStored();
    f.activate();
    return *f.window;
}

// The PDF's text page by page, as pdftotext lays it out; blank lines dropped.
QList<QStringList> pdfPages(const QString& pdf) {
    QProcess tool;
    tool.start("pdftotext", {"-layout", pdf, "-"});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(tool.readAllStandardOutput()).split('\f');
    pages.removeLast(); // after the last page's form feed
    QList<QStringList> out;
    for (const QString& page : pages) {
        QStringList lines;
        for (const QString& line : page.split('\n')) {
            if (!line.trimmed().isEmpty())
                lines << line;
        }
        out << lines;
    }
    return out;
}

// The records "<prefix> <n>" for n from `from` down or up to `to`, each on one date.
QList<QByteArray> numbered(int from, int to, char code, const QString& date) {
    QList<QByteArray> records;
    for (int n = from; from <= to ? n <= to : n >= to; n += from <= to ? 1 : -1)
        records << recordBytes(QString("Item %1").arg(n, 3, 10, QChar('0')), 'X', code, date);
    return records;
}

QStringList numberedLines(int from, int to, const QString& head) {
    QStringList lines;
    for (int n = from; from <= to ? n <= to : n >= to; n += from <= to ? 1 : -1)
        lines << QString("%1 Item %2").arg(head).arg(n, 3, 10, QChar('0'));
    return lines;
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT

private slots:
    void printsTheListShowing_data();
    void printsTheListShowing();
    void abortKeepsNoPartialFile();
    void failureLeavesAllAsItWas_data();
    void failureLeavesAllAsItWas();
};

void TestPrinting::printsTheListShowing_data() {
    QTest::addColumn<QList<QByteArray>>("records");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<bool>("all");
    QTest::addColumn<QList<QStringList>>("pages"); // list lines only, blanks collapsed
    // Friday 20 December 2002. The file holds its reminders in descending order, so a sorted
    // printout would show itself.
    const QString fri = "Fri Once";
    QTest::newRow("100, all: 48, 48 and 4, file order")
        << numbered(100, 1, 'O', "12/20/2002") << "" << true
        << QList<QStringList>{numberedLines(100, 53, "12/20/02 " + fri),
                              numberedLines(52, 5, "12/20/02 " + fri),
                              numberedLines(4, 1, "12/20/02 " + fri)};
    QTest::newRow("columns: every frequency word and an unknown code")
        << QList<QByteArray>{recordBytes("Once text", 'X', 'O', "12/20/2002"),
                             recordBytes("Weekly text", 'X', 'W', "12/21/2002"),
                             recordBytes("Monthly text", 'X', 'M', "12/22/2002"),
                             recordBytes("Odd text", 'X', 'Z', "12/24/2002")}
        << "" << true
        << QList<QStringList>{{"12/20/02 Fri Once Once text", "12/21/02 Sat Weekly Weekly text",
                               "12/22/02 Sun Monthly Monthly text", "12/24/02 Tue Z Odd text"}};
    QTest::newRow("48, all: a second page with only the heading")
        << numbered(48, 1, 'O', "12/20/2002") << "" << true
        << QList<QStringList>{numberedLines(48, 1, "12/20/02 " + fri), {}};
    QList<QByteArray> days;
    QStringList seven;
    for (int d = 0; d < 10; ++d) {
        const QDate day = QDate(2002, 12, 20).addDays(d);
        days << recordBytes(QString("Day %1").arg(d), 'X', 'O', day.toString("MM/dd/yyyy"));
        if (d < 7)
            seven << QString("%1 %2 Once Day %3")
                         .arg(day.toString("MM/dd/yy"),
                              QLocale::c().dayName(day.dayOfWeek(), QLocale::ShortFormat))
                         .arg(d);
    }
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

void TestPrinting::printsTheListShowing() {
    QFETCH(QList<QByteArray>, records);
    QFETCH(QString, settings);
    QFETCH(bool, all);
    QFETCH(QList<QStringList>, pages);
    WindowFixture f(QDate(2002, 12, 20));
    for (const QString& setting : settings.split(';', Qt::SkipEmptyParts))
        f.settings.save(setting.section('=', 0, 0), setting.section('=', 1));
    f.writeReminders(records);
    QtPrinter pdf(f.path("out.pdf"));
    CursorProbe probe(pdf);
    MainWindow& w = startWith(f, probe);
    if (all)
        f.action("menushowall")->trigger();
    const QString caption = w.windowTitle();
    const QByteArray before = f.reminderBytes();
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
        QCOMPARE(lines.mid(0, 2), QStringList({"Friday, December 20, 2002", caption.simplified()}));
        QCOMPARE(lines.mid(2), pages[i]);
    }
    QVERIFY(dateColumns.size() <= 1 && textColumns.size() <= 1);
    QVERIFY(!probe.shapes.isEmpty());
    QCOMPARE(probe.shapes.count(int(Qt::WaitCursor)), probe.shapes.size());
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(f.reminderBytes(), before);
    QCOMPARE(QApplication::focusWidget(), focus);
}

void TestPrinting::abortKeepsNoPartialFile() {
    QTemporaryDir dir;
    const QString file = dir.filePath("out.pdf");
    {
        QtPrinter pdf(file);
        QVERIFY(pdf.begin(nullptr));
        pdf.printLine(800, 2000, "half");
        pdf.abort();
        QVERIFY(!QFile::exists(file));
        QVERIFY(pdf.begin(nullptr));
        pdf.printLine(800, 2000, "dropped with the printer");
    }
    QVERIFY(!QFile::exists(file));
}

void TestPrinting::failureLeavesAllAsItWas_data() {
    QTest::addColumn<QString>("printer");
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

void TestPrinting::failureLeavesAllAsItWas() {
    QFETCH(QString, printer);
    QFETCH(QString, message);
    WindowFixture f(QDate(2002, 12, 20));
    f.writeReminders(numbered(60, 1, 'O', "12/20/2002"));
    const QString pdfFile = f.path(printer == "refused" ? "missing/out.pdf" : "out.pdf");
    QtPrinter real(printer == "none" ? QString() : pdfFile, [] { return QPrinterInfo(); });
    const bool fake = printer != "none" && printer != "refused";
    // The fake fails the named step; "read" leaves it working.
    f.printer.failAt = printer == "begin"     ? FakePrinter::Step::Begin
                       : printer == "newpage" ? FakePrinter::Step::NewPage
                       : printer == "end"     ? FakePrinter::Step::End
                                              : FakePrinter::Step::None;
    startWith(f, fake ? static_cast<Printer&>(f.printer) : real);
    f.action("menushowall")->trigger();
    const QStringList shown = f.lines("reminderlist2");
    const QByteArray before = f.reminderBytes();

    QWidget* focus = QApplication::focusWidget();
    if (printer == "read")
        f.files.failAt = FailingFileSystem::Step::Read;

    f.press(Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(f.messages.shown, QStringList(message));
    QCOMPARE(f.messages.icons.value(0),
             printer == "read" ? MessageBoxes::Icon::Warning : MessageBoxes::Icon::None);
    QCOMPARE(QApplication::focusWidget(), focus);
    QCOMPARE(f.reminderBytes(), before);
    QCOMPARE(f.lines("reminderlist2"), shown);
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(!QFile::exists(pdfFile));
    if (fake) { // a job that had begun is dropped, not sent half done
        QCOMPARE(f.printer.aborted, printer == "newpage" || printer == "end");
        QCOMPARE(f.printer.pages.isEmpty(), printer == "read");
    }
}

QTEST_MAIN(TestPrinting)
#include "test_printing.moc"
