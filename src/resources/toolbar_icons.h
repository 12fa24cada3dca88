// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QPixmap>

#include <initializer_list>

namespace nudgewell {

// The toolbars' images are SVG files in the resources (src/resources/toolbar/), rendered by
// Qt SVG itself, so that they stay sharp at every size without Qt's SVG icon plugin.
QPixmap svgPixmap(const QString& path, int size);
QIcon svgIcon(const QString& path, std::initializer_list<int> sizes);

// The main toolbar's images by number (1..13).
QIcon toolbarIcon(int image);
// The About window's bell over a calendar page.
QPixmap logoPixmap(int size);
// The calendar window's toolbar images (1..4): copy, change date, help, close.
QIcon calendarToolbarIcon(int image);
// The Startup List's toolbar images (1..3): delete old dates, help, close.
QIcon startupToolbarIcon(int image);

} // namespace nudgewell
