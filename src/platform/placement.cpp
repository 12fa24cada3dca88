// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/placement.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace nudgewell {

QRect fitOnScreen(const QRect& wanted, const QMargins& frame, const QRect& area) {
    QRect outer = wanted.marginsAdded(frame);
    outer.setWidth(std::min(outer.width(), area.width()));
    outer.setHeight(std::min(outer.height(), area.height()));
    outer.moveLeft(std::clamp(outer.left(), area.left(), area.right() + 1 - outer.width()));
    outer.moveTop(std::clamp(outer.top(), area.top(), area.bottom() + 1 - outer.height()));
    return outer.marginsRemoved(frame);
}

namespace {

QMargins frameOf(const QWidget* window) {
    const auto margins = [](const QWidget* w) {
        const QRect outer = w->frameGeometry();
        const QRect inner = w->geometry();
        return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                        outer.right() - inner.right(), outer.bottom() - inner.bottom());
    };
    if (window->isVisible())
        return margins(window);
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other != window && other->isVisible() && other->frameGeometry() != other->geometry())
            return margins(other);
    }
    // None shown yet: a title bar and border as the style draws them, to be on the safe side.
    const QStyle* style = window->style();
    const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, window);
    const int title = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    return {border, title + border, border, border};
}

} // namespace

void placeOnScreen(QWidget* window, const QRect& wanted) {
    const QScreen* screen = QGuiApplication::screenAt(wanted.center());
    if (!screen)
        screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        window->setGeometry(wanted);
        return;
    }
    // A window's position, as move() takes it, is that of its frame; its size is without it.
    const QMargins frame = frameOf(window);
    const QPoint inside(frame.left(), frame.top());
    const QRect place = fitOnScreen(wanted.translated(inside), frame, screen->availableGeometry());
    window->resize(place.size());
    window->move(place.topLeft() - inside);
}

} // namespace nudgewell
