// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/bring_to_front.h"

#include <QApplication>
#include <QWidget>

namespace nudgewell {

void bringToFront(QWidget& window) {
    window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window.show();
    window.raise();
    window.activateWindow();
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
    }
}

} // namespace nudgewell
