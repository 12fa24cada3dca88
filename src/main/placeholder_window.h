// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

namespace nudgewell {

// Stands in for a window of the program that is not built yet: its caption and one line
// saying so.
class PlaceholderWindow final : public QDialog {
    Q_OBJECT

public:
    PlaceholderWindow(const QString& objectName, const QString& caption, QWidget* parent);
};

} // namespace nudgewell
