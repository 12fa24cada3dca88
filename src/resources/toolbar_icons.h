// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QPixmap>

namespace nudgewell {

// The toolbar's images by number (1..13): drawn as vectors so they stay sharp at 16, 24 and
// 32 pixels.
QIcon toolbarIcon(int image);
QPixmap logoPixmap(int size);
// The calendar window's toolbar images (1..4): copy, change date, help, close.
QIcon calendarToolbarIcon(int image);

// The Startup List's toolbar images (1..3): delete old dates, help, close.
QIcon startupToolbarIcon(int image);

} // namespace nudgewell
