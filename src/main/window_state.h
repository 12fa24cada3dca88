// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLatin1StringView>

#include <span>

namespace nudgewell {

// Browsing shows a list; editing shows the edit panel in its place.
enum class Mode { Browsing, Editing };
// Which list is showing (or, while editing, was showing and comes back after it).
enum class View { Upcoming, All };

struct WindowState {
    Mode mode = Mode::Browsing;
    View view = View::Upcoming;
    bool hasLines = false; // the list of `view` has at least one line
    bool readOnly = false; // reminder.dat can only be read: nothing that writes it is offered
};

// The toolbar's positions, separators included.
enum class Tool {
    Add = 1,
    Edit,
    Delete,
    Save,
    Cancel,
    Print,
    Separator7,
    ShowAll,
    ShowUpcoming,
    Startup,
    Calendar,
    Separator12,
    Options,
    Separator14,
    Help,
    Separator16,
    Close,
};
inline constexpr int kToolCount = 17;

// Whether a menu, menu item or toolbar action is shown and can be used in a state.
struct ActionState {
    QLatin1StringView objectName;
    bool (*visible)(const WindowState&);
    bool (*enabled)(const WindowState&);
};

// Every action whose visibility or enabled state depends on the window's state.
std::span<const ActionState> actionStates();

} // namespace nudgewell
