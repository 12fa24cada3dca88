// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QMenu;

namespace nudgewell {

class HelpViewer;

// The help topic a control, menu or menu item carries for F1, as a dynamic property.
inline constexpr char kHelpTopicProperty[] = "helpTopic";

// Marks a window as one of the program's own, so that the main window counts a return from it
// as activation (and one from a message box or another application not).
void markAsProgramWindow(QWidget* window);
bool isProgramWindow(const QWidget* window);

// F1 in `window`: the topic of the highlighted item of an open menu (else of the menu), else
// of the focused control or its nearest parent that has one, else `windowTopic`.
void installContextHelp(QWidget* window, HelpViewer& help, int windowTopic);
// The topic F1 opens in `window` while no menu is open.
int focusedHelpTopic(const QWidget* window, int windowTopic);

// A window of the program other than the main one: marked as ours, with F1 context help.
// `Base` is QDialog, QWidget or QMainWindow.
template <typename Base> class SecondaryWindow : public Base {
public:
    SecondaryWindow(QWidget* parent, Qt::WindowFlags flags = Qt::Window) : Base(parent) {
        this->setWindowFlags(flags);
        markAsProgramWindow(this);
    }

protected:
    void enableContextHelp(HelpViewer& help, int windowTopic) {
        installContextHelp(this, help, windowTopic);
    }
};

} // namespace nudgewell
