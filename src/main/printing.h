// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/print_layout.h"

class QWidget;

namespace nudgewell {

class MessageBoxes;
class Printer;

// Sends the heading and lines to the printer, laid out on pages. On any failed step the job
// is dropped and false returned with the printer's reason.
bool printPages(Printer& printer, const QStringList& heading, const QStringList& lines,
                bool headedPages, QString* error);

// printPages under a busy cursor; a failure is shown as the one printing message.
void printReminderList(QWidget* window, Printer& printer, MessageBoxes& messages,
                       const QStringList& heading, const QStringList& lines, bool headedPages);

} // namespace nudgewell
