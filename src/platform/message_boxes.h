// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace nudgewell {

// Every message box of the program goes through here, so that tests can answer them.
class MessageBoxes {
public:
    enum class Icon { None, Warning, Question };

    virtual ~MessageBoxes() = default;
    // A message with only an OK button.
    virtual void showMessage(QWidget* parent, const QString& title, const QString& text,
                             Icon icon) = 0;
    // Yes and No, question icon, Yes the default; true only for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& title, const QString& text) = 0;
};

class QtMessageBoxes final : public MessageBoxes {
public:
    void showMessage(QWidget* parent, const QString& title, const QString& text,
                     Icon icon) override;
    bool askYesNo(QWidget* parent, const QString& title, const QString& text) override;
};

} // namespace nudgewell
