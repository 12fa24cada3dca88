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
    return svgIcon(QStringLiteral(":/icons/nudgewell.svg"), {16, 24, 32, 48, 64});
}

} // namespace nudgewell
