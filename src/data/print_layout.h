// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/view_lines.h"

#include <QStringList>

#include <span>
#include <vector>

namespace nudgewell {

// The printed upcoming list covers today and this many days after it, whatever the window
// shows.
constexpr int kPrintedDays = 6;
// The all-reminders printout starts a new headed page after every 48 lines, for the first
// seven pages; after those the lines run on and only the page size breaks them.
constexpr int kLinesPerHeadedPage = 48;
constexpr int kHeadedPages = 7;

// Positions on the page, in twips from the corner of the printable area.
constexpr double kPrintLeft = 800;
constexpr double kHeadingTop = 1000;
constexpr double kListTop = 2000;

// Today's long date and the window's caption, the two lines at the top of a headed page.
QStringList PrintHeading(const QDate& today, const QLocale& locale, const QString& caption);

// A list line as printed: its date and weekday, three blanks, the frequency word, a tab and
// the 55 stored characters. The years are never printed.
QString PrintLine(const ListLine& line, const ReminderRecord& record);

// Every record, in file order.
QStringList printedAllLines(std::span<const ReminderRecord> records, const ViewContext& context);
// The occurrences from today to today + kPrintedDays, by day, then in file order.
QStringList printedUpcomingLines(std::span<const ReminderRecord> records,
                                 const ViewContext& context);

struct PlacedLine {
    double left = 0;
    double top = 0;
    QString text;
};
using PrintedPage = std::vector<PlacedLine>;

// Places the heading and the lines on pages as a printer moving line by line would: a line
// that would reach below `pageHeight` starts a new page at its top. With `headedPages` the
// counted page ends and repeated headings of the all-reminders printout are added.
std::vector<PrintedPage> layOutPrintout(const QStringList& heading, const QStringList& lines,
                                        bool headedPages, double lineHeight, double pageHeight);

} // namespace nudgewell
