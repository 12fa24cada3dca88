// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>

class QWidget;

namespace nudgewell {

// Sizes and places are kept in twips (1/1440 inch) and turned into pixels only here.
double dpiOf(const QWidget* widget);
int twipsToPixels(double twips, double dpi);
double pixelsToTwips(int pixels, double dpi);
QRect twipsRect(double left, double top, double width, double height, double dpi);
// Places a child at a position and size given in twips.
void placeInTwips(QWidget* widget, double left, double top, double width, double height);

} // namespace nudgewell
