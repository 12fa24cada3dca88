// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/printing.h"

#include "platform/message_boxes.h"
#include "platform/printer.h"

#include <QApplication>
#include <QCoreApplication>

namespace nudgewell {

bool printPages(Printer& printer, const QStringList& heading, const QStringList& lines,
                bool headedPages, QString* error) {
    if (!printer.begin(error))
        return false;
    const std::vector<PrintedPage> pages = layOutPrintout(
        heading, lines, headedPages, printer.lineHeightTwips(), printer.pageHeightTwips());
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0 && !printer.newPage(error)) {
            printer.abort();
            return false;
        }
        for (const PlacedLine& line : pages[i])
            printer.printLine(line.left, line.top, line.text);
        // A long printout takes seconds: let the windows repaint meanwhile, but take no input
        // that could change what is being printed.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    if (!printer.end(error)) {
        printer.abort();
        return false;
    }
    return true;
}

void printReminderList(QWidget* window, Printer& printer, MessageBoxes& messages,
                       const QStringList& heading, const QStringList& lines, bool headedPages) {
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = printPages(printer, heading, lines, headedPages, &error);
    QApplication::restoreOverrideCursor();
    if (!ok)
        messages.showMessage(window, QStringLiteral("Nudgewell"),
                             QCoreApplication::translate(
                                 "MainWindow", "There was a problem printing to your printer."),
                             MessageBoxes::Icon::None);
}

} // namespace nudgewell
