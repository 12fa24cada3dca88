// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/twips.h"

#include <QWidget>

#include <cmath>

namespace nudgewell {

double dpiOf(const QWidget* widget) {
    const int dpi = widget ? widget->logicalDpiY() : 96;
    return dpi > 0 ? dpi : 96;
}

int twipsToPixels(double twips, double dpi) {
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

double pixelsToTwips(int pixels, double dpi) {
    return pixels * 1440.0 / dpi;
}

QRect twipsRect(double left, double top, double width, double height, double dpi) {
    return QRect(twipsToPixels(left, dpi), twipsToPixels(top, dpi), twipsToPixels(width, dpi),
                 twipsToPixels(height, dpi));
}

void placeInTwips(QWidget* widget, double left, double top, double width, double height) {
    widget->setGeometry(twipsRect(left, top, width, height, dpiOf(widget)));
}

} // namespace nudgewell
