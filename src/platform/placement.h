// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMargins>
#include <QRect>

class QWidget;

namespace nudgewell {

// Where a window goes so that it lies wholly on its screen, frame included: `wanted` (the
// window without its frame) moved by the least, and made smaller only when it is larger than
// `area`, the part of the screen windows may use.
QRect fitOnScreen(const QRect& wanted, const QMargins& frame, const QRect& area);

// Gives `window` the place `wanted` (its position as move() takes it, that of the frame, and
// its size without the frame), fitted onto the screen that holds the centre of `wanted`
// (else the window's own). Before a window is first shown its frame is not known yet, so that
// of another window of the program stands in for it.
void placeOnScreen(QWidget* window, const QRect& wanted);

} // namespace nudgewell
