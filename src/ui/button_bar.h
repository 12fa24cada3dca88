// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>
#include <span>

class QIcon;
class QMainWindow;
class QToolBar;

namespace nudgewell {

// One position of a secondary window's toolbar; no key for a separator.
struct ToolButton {
    const char* key;
    int image;
    const char* tooltip; // translated in the window's context
};

// The fixed toolbar "Toolbar1" of a secondary window: each button shows its tooltip, speaks it
// to a screen reader and hands its key to `click`. Separators are named "toolsep<position>".
QToolBar* addButtonBar(QMainWindow* window, const char* context,
                       std::span<const ToolButton> buttons, QIcon (*icon)(int),
                       const std::function<void(const QString&)>& click);

} // namespace nudgewell
