// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace nudgewell {

// Help topics carried by the main window's menu items for context help.
int menuHelpTopic(const QString& objectName);

// The help topic a control carries for F1, as the dynamic property "helpTopic".
inline constexpr char kHelpTopicProperty[] = "helpTopic";

} // namespace nudgewell
