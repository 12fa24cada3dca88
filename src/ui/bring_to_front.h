// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace nudgewell {

// Brings a window back from the taskbar and to the front, still maximised if it was; an open
// dialog of the program stays on top of it and keeps the keyboard.
void bringToFront(QWidget& window);

} // namespace nudgewell
