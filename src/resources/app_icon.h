// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>

namespace nudgewell {

// The program's own icon, the SVG that is also installed for the desktop.
QIcon applicationIcon();

} // namespace nudgewell
