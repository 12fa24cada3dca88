// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/app_icon.h"

#include "resources/toolbar_icons.h"

// The resource lives in a static library, so it has to be pulled in by name.
static void initApplicationResource() {
    Q_INIT_RESOURCE(application);
}

namespace nudgewell {

QIcon applicationIcon() {
    initApplicationResource();
    QIcon icon(QStringLiteral(":/icons/nudgewell.svg"));
    if (!icon.pixmap(32).isNull())
        return icon;
    // Without Qt's SVG plugin the toolbar's drawing of the same bell stands in.
    QIcon drawn;
    for (int size : {16, 24, 32, 48, 64})
        drawn.addPixmap(logoPixmap(size));
    return drawn;
}

} // namespace nudgewell
