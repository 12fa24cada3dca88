// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace nudgewell {

// Where copied text goes; tests read it back without a desktop clipboard.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void setText(const QString& text) = 0;
    virtual QString text() const = 0;
};

class QtClipboard final : public Clipboard {
public:
    void setText(const QString& text) override;
    QString text() const override;
};

} // namespace nudgewell
