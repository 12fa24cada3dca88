// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace nudgewell {

class MessageBoxes;

// The two help operations every window uses.
class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    virtual void ShowHelpContents() = 0;
    virtual void ShowHelpTopic(int topic) = 0;
};

// Until the help pages are written, a request says plainly that there is no help yet.
class NoHelpViewer final : public HelpViewer {
public:
    NoHelpViewer(MessageBoxes& messages, QWidget* parent)
        : m_messages(messages), m_parent(parent) {}
    void ShowHelpContents() override;
    void ShowHelpTopic(int topic) override;

private:
    MessageBoxes& m_messages;
    QWidget* m_parent;
};

} // namespace nudgewell
