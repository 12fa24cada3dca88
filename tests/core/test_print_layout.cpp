// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/print_layout.h"

#include <QTest>

using namespace nudgewell;

namespace {

// A page as segments: "H<n>@<top>" for a heading line, "<a>-<b>@<top>" for list lines a to b
// that follow each other one line height apart from `top`.
QString summarize(const PrintedPage& page, double lineHeight) {
    QStringList out;
    int first = 0, last = 0;
    double firstTop = 0, lastTop = 0;
    const auto flush = [&] {
        if (first)
            out << (first == last ? QString::number(first)
                                  : QString("%1-%2").arg(first).arg(last)) +
                       '@' + QString::number(firstTop);
        first = 0;
    };
    for (const PlacedLine& line : page) {
        if (line.left != kPrintLeft)
            out << "left " + QString::number(line.left);
        if (line.text.startsWith('H')) {
            flush();
            out << QString("%1@%2").arg(line.text).arg(line.top);
            continue;
        }
        const int n = line.text.toInt();
        if (first && n == last + 1 && line.top == lastTop + lineHeight) {
            last = n;
        } else {
            flush();
            first = last = n;
            firstTop = line.top;
        }
        lastTop = line.top;
    }
    flush();
    return out.join(' ');
}

} // namespace

class TestPrintLayout : public QObject {
    Q_OBJECT

private slots:
    void layout_data() {
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("headed");
        QTest::addColumn<double>("pageHeight");
        QTest::addColumn<QString>("expected"); // pages joined by " | "
        // 54 list lines below the heading, 63 on a bare page. 100 and 48 lines are printed
        // to a PDF file by the printing suite.
        const double letter = 15120;
        QTest::newRow("47 fit one page") << 47 << true << letter << "H1@1000 H2@1240 1-47@2000";
        QTest::newRow("no heading after line 336; the page size breaks the rest")
            << 400 << true << letter
            << "H1@1000 H2@1240 1-48@2000 | H1@1000 H2@1240 49-96@2000 | "
               "H1@1000 H2@1240 97-144@2000 | H1@1000 H2@1240 145-192@2000 | "
               "H1@1000 H2@1240 193-240@2000 | H1@1000 H2@1240 241-288@2000 | "
               "H1@1000 H2@1240 289-336@2000 | H1@1000 H2@1240 337-390@2000 | 391-400@0";
        QTest::newRow("upcoming: one heading, page breaks only by size")
            << 120 << false << letter << "H1@1000 H2@1240 1-54@2000 | 55-117@0 | 118-120@0";
        QTest::newRow("upcoming, 48 lines: no page end")
            << 48 << false << letter << "H1@1000 H2@1240 1-48@2000";
        QTest::newRow("a short page breaks inside the 48")
            << 50 << true << 9680.0
            << "H1@1000 H2@1240 1-32@2000 | 33-48@0 | H1@1000 H2@1240 49-50@2000";
        QTest::newRow("a page too short for the heading: no blank page")
            << 2 << false << 200.0 << "H1@0 | H2@0 | 1@0 | 2@0";
        QTest::newRow("nothing to list") << 0 << true << letter << "H1@1000 H2@1240";
    }
    void layout() {
        QFETCH(int, lines);
        QFETCH(bool, headed);
        QFETCH(double, pageHeight);
        QFETCH(QString, expected);
        QStringList texts;
        for (int i = 1; i <= lines; ++i)
            texts << QString::number(i);
        const auto pages = layOutPrintout({"H1", "H2"}, texts, headed, 240, pageHeight);
        QStringList got;
        for (const PrintedPage& page : pages)
            got << summarize(page, 240);
        QCOMPARE(got.join(" | "), expected);
    }
};

QTEST_GUILESS_MAIN(TestPrintLayout)
#include "test_print_layout.moc"
