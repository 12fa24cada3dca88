// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/secondary_window.h"

#include <QWidget>

namespace nudgewell {

class HelpViewer;

// "About Nudgewell": product name, notice and logo. OK and Esc only hide it.
class AboutForm final : public SecondaryWindow<QWidget> {
    Q_OBJECT

public:
    AboutForm(HelpViewer& help, QWidget* parent);
    // Shows the window; the first time it also centres itself, then takes its final height.
    void open();

private:
    HelpViewer& m_help;
    bool m_placed = false;
};

} // namespace nudgewell
