// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QObject;

namespace nudgewell {
// Gives the main window's menus and menu items the help topics F1 opens on them.
void setMenuHelpTopics(QObject* window);

} // namespace nudgewell
