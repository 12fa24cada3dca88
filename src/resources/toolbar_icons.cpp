// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/toolbar_icons.h"

#include <QPainter>
#include <QSvgRenderer>

#include <array>

// The resource lives in a static library, so it has to be pulled in by name.
static void initToolbarResource() {
    Q_INIT_RESOURCE(toolbar);
}

namespace nudgewell {

namespace {

template <std::size_t N> QIcon pick(const std::array<const char*, N>& names, int image) {
    if (image < 1 || image > int(N))
        return {};
    initToolbarResource();
    return svgIcon(QStringLiteral(":/toolbar/%1.svg").arg(QLatin1String(names[image - 1])),
                   {16, 24, 32, 48});
}

} // namespace

QPixmap svgPixmap(const QString& path, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer svg(path);
    QPainter painter(&pixmap);
    svg.render(&painter);
    return pixmap;
}

QIcon svgIcon(const QString& path, std::initializer_list<int> sizes) {
    QIcon icon;
    for (int size : sizes)
        icon.addPixmap(svgPixmap(path, size));
    return icon;
}

QIcon toolbarIcon(int image) {
    static constexpr std::array<const char*, 13> names = {
        "new",      "edit",         "delete",   "save",    "cancel", "print", "show-upcoming",
        "show-all", "startup-list", "calendar", "options", "help",   "exit"};
    return pick(names, image);
}

QIcon calendarToolbarIcon(int image) {
    static constexpr std::array<const char*, 4> names = {"copy-date", "change-date", "help",
                                                         "close-window"};
    return pick(names, image);
}

// Help and exit are the main toolbar's, so that they read the same.
QIcon startupToolbarIcon(int image) {
    static constexpr std::array<const char*, 3> names = {"delete-old-dates", "help", "exit"};
    return pick(names, image);
}

QPixmap logoPixmap(int size) {
    initToolbarResource();
    return svgPixmap(QStringLiteral(":/toolbar/logo.svg"), size);
}

} // namespace nudgewell
