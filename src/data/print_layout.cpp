// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/print_layout.h"

#include "data/codepage.h"

#include <algorithm>

namespace nudgewell {

QStringList PrintHeading(const QDate& today, const QLocale& locale, const QString& caption) {
    return {Format(today, QStringLiteral("long date"), locale), caption};
}

QString PrintLine(const ListLine& line, const ReminderRecord& record) {
    const QString word = FrequencyWord(record.frequencyCode());
    const QString text = shownText(record.text()); // as the screen line shows it
    // The screen line is its date and weekday, a tab, the word, a tab, the text and the years.
    // Taking the date and weekday from it keeps screen and paper on one date rule. The years
    // hold no tab, so the last match of the tail is the real one.
    QString tail;
    tail.reserve(word.size() + text.size() + 2);
    tail += u'\t';
    tail += word;
    tail += u'\t';
    tail += text;
    const qsizetype at = line.text.lastIndexOf(tail);
    QString out;
    out.reserve(std::max<qsizetype>(at, 0) + word.size() + text.size() + 4);
    out += QStringView(line.text).left(std::max<qsizetype>(at, 0));
    out += QLatin1String("   ");
    out += word;
    out += u'\t';
    out += text;
    return out;
}

namespace {

QStringList printedLines(std::vector<ListLine> lines, std::span<const ReminderRecord> records) {
    QStringList out;
    out.reserve(qsizetype(lines.size()));
    for (ListLine& line : lines) {
        out << PrintLine(line, records[line.record - 1]);
        // Each screen line goes as its printed line comes, in the memory it leaves: both
        // lists of 32,767 lines at once would take twice as much.
        line.text = QString();
    }
    return out;
}

} // namespace

QStringList printedAllLines(std::span<const ReminderRecord> records, const ViewContext& context) {
    std::vector<ListLine> lines = buildAllLines(records, context);
    // The screen sorts its lines; paper keeps the order of the file.
    std::sort(lines.begin(), lines.end(),
              [](const ListLine& a, const ListLine& b) { return a.record < b.record; });
    return printedLines(std::move(lines), records);
}

QStringList printedUpcomingLines(std::span<const ReminderRecord> records,
                                 const ViewContext& context) {
    return printedLines(buildUpcomingLines(records, context, kPrintedDays), records);
}

std::vector<PrintedPage> layOutPrintout(const QStringList& heading, const QStringList& lines,
                                        bool headedPages, double lineHeight, double pageHeight) {
    std::vector<PrintedPage> pages(1);
    double next = 0; // where the following line goes
    const auto place = [&](double top, const QString& text) {
        // A line at the very top goes there even when it cannot fit; else no page would hold
        // it and the printout would never end.
        if (top > 0 && lineHeight > 0 && top + lineHeight > pageHeight) {
            if (!pages.back().empty()) // no blank page for a heading that cannot fit
                pages.emplace_back();
            top = 0;
        }
        pages.back().push_back({kPrintLeft, top, text});
        next = top + lineHeight;
    };
    const auto printHeading = [&] {
        double top = kHeadingTop;
        for (const QString& text : heading) {
            place(top, text);
            top = next;
        }
        next = kListTop;
    };

    printHeading();
    int counted = 0;
    for (const QString& text : lines) {
        place(next, text);
        ++counted;
        if (headedPages && counted % kLinesPerHeadedPage == 0 &&
            counted <= kLinesPerHeadedPage * kHeadedPages) {
            pages.emplace_back();
            printHeading();
        }
    }
    return pages;
}

} // namespace nudgewell
