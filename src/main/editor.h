// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineEdit>

namespace nudgewell {

// The reminder text box: 55 characters of the record's code page, and the first 45
// characters selected whenever it gains the focus, so that typing replaces a short text.
class ReminderTextBox final : public QLineEdit {
    Q_OBJECT

public:
    explicit ReminderTextBox(QWidget* parent = nullptr);
    // Takes the focus with the first 45 characters selected, also when it had it already.
    void focusForTyping();

protected:
    void focusInEvent(QFocusEvent* event) override;
};

} // namespace nudgewell
