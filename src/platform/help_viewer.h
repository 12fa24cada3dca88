// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QStringList>

namespace nudgewell {

class HelpWindow;
class MessageBoxes;

// The two help operations every window uses.
class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    virtual void ShowHelpContents() = 0;
    virtual void ShowHelpTopic(int topic) = 0;
};

// The program's help collection in one help window, opened on the first request and reused.
class QtHelpViewer final : public HelpViewer {
public:
    // `collections`: the places to look for Nudgewell.qhc, in order.
    explicit QtHelpViewer(MessageBoxes& messages, QStringList collections = installedCollections());
    ~QtHelpViewer() override;
    void ShowHelpContents() override;
    void ShowHelpTopic(int topic) override;

    // Beside the program (the build folder), then in ../share/nudgewell (installed).
    static QStringList installedCollections();
    HelpWindow* window() const;

private:
    bool openWindow();
    void bringToFront();
    void tell(const QString& text);

    MessageBoxes& m_messages;
    QStringList m_collections;
    QPointer<HelpWindow> m_window;
};

} // namespace nudgewell
