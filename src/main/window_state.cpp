// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/window_state.h"

namespace nudgewell {

namespace {

using namespace Qt::Literals::StringLiterals;

bool always(const WindowState&) {
    return true;
}
bool browsing(const WindowState& s) {
    return s.mode == Mode::Browsing;
}
bool editing(const WindowState& s) {
    return s.mode == Mode::Editing;
}
bool upcomingShowing(const WindowState& s) {
    return s.view == View::Upcoming;
}
bool allShowing(const WindowState& s) {
    return s.view == View::All;
}
bool hasLines(const WindowState& s) {
    return s.hasLines;
}
// Edit, Delete and Print act on the list's lines; with none there is nothing to act on.
bool browsingWithLines(const WindowState& s) {
    return browsing(s) && s.hasLines;
}

// Add, Edit, Delete and the purge write reminder.dat; a file that can only be read is shown
// without them.
bool writable(const WindowState& s) {
    return !s.readOnly;
}
bool browsingWritable(const WindowState& s) {
    return browsing(s) && writable(s);
}
bool browsingWithLinesWritable(const WindowState& s) {
    return browsingWithLines(s) && writable(s);
}
bool hasLinesWritable(const WindowState& s) {
    return hasLines(s) && writable(s);
}

// The view buttons offer the view that is not showing. While editing, the one on the bar
// stays there, disabled, and Save or Cancel bring its view back.
constexpr ActionState kStates[] = {
    {"menufileAction"_L1, always, browsing},
    {"menuCalendar"_L1, always, browsing},
    {"menustartup"_L1, always, browsing},
    {"menushowall"_L1, upcomingShowing, browsing},
    {"menushowweek"_L1, allShowing, browsing},
    {"menuoptions"_L1, always, browsing},
    {"menuprintreminders"_L1, hasLines, browsing},
    // Exit works even while a write keeps failing and the editor cannot be closed.
    {"menuclose"_L1, always, always},
    {"menureminder1Action"_L1, browsing, always},
    {"menuadd"_L1, always, browsingWritable},
    {"menuedit"_L1, always, browsingWithLinesWritable},
    {"menudelete"_L1, always, browsingWithLinesWritable},
    {"menudeleteold"_L1, always, browsingWritable},
    {"menureminder2Action"_L1, editing, always},
    {"menusave"_L1, always, editing},
    {"menucancel"_L1, always, editing},

    {"tooladd"_L1, browsing, writable},
    {"tooledit"_L1, browsing, hasLinesWritable},
    {"tooldelete"_L1, browsing, hasLinesWritable},
    {"toolsave"_L1, editing, always},
    {"toolcancel"_L1, editing, always},
    {"toolprint"_L1, always, browsingWithLines},
    {"toolshowall"_L1, upcomingShowing, browsing},
    {"toolshowweek"_L1, allShowing, browsing},
    {"toolstartup"_L1, browsing, always},
    {"toolcalendar"_L1, browsing, always},
    {"toolsep12"_L1, browsing, always},
    {"toolsep14"_L1, browsing, always},
    {"toolsep16"_L1, browsing, always},
};

} // namespace

std::span<const ActionState> actionStates() {
    return kStates;
}

} // namespace nudgewell
