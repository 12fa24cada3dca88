// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/secondary_window.h"

#include "platform/help_viewer.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

namespace nudgewell {

namespace {

constexpr char kProgramWindowProperty[] = "nudgewellForm";

int topicOf(const QObject* object) {
    return object ? object->property(kHelpTopicProperty).toInt() : 0;
}

// Watches a window's menus for F1, and gives F1 elsewhere in the window its context topic.
class ContextHelp final : public QObject {
public:
    ContextHelp(QWidget* window, HelpViewer& help, int windowTopic)
        : QObject(window), m_window(window), m_help(help), m_windowTopic(windowTopic) {
        auto* f1 = new QAction(window);
        f1->setObjectName(QStringLiteral("contextHelp"));
        f1->setShortcut(QKeySequence(Qt::Key_F1));
        f1->setShortcutContext(Qt::WindowShortcut);
        QObject::connect(f1, &QAction::triggered, this, [this] {
            const int topic = focusedHelpTopic(m_window, m_windowTopic);
            // A highlighted menu title keeps the keyboard until Esc, as for an open menu.
            if (auto* bar = qobject_cast<QMenuBar*>(QApplication::focusWidget())) {
                QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QCoreApplication::sendEvent(bar, &escape);
            }
            m_help.ShowHelpTopic(topic);
        });
        window->addAction(f1);
        for (QMenu* menu : window->findChildren<QMenu*>())
            menu->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress ||
            static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1)
            return false;
        auto* menu = qobject_cast<QMenu*>(watched);
        if (!menu)
            return false;
        int topic = topicOf(menu->activeAction());
        if (!topic)
            topic = topicOf(menu);
        if (!topic)
            topic = m_windowTopic;
        // The open menu would otherwise sit over the help window, and the menu bar would keep
        // the keyboard: Esc leaves both, as it would for the user.
        for (QWidget* w = menu; qobject_cast<QMenu*>(w); w = w->parentWidget())
            static_cast<QMenu*>(w)->close();
        if (auto* bar = m_window->findChild<QMenuBar*>(); bar && bar->hasFocus()) {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(bar, &escape);
        }
        m_help.ShowHelpTopic(topic);
        return true;
    }

private:
    QWidget* m_window;
    HelpViewer& m_help;
    int m_windowTopic;
};

} // namespace

void markAsProgramWindow(QWidget* window) {
    window->setProperty(kProgramWindowProperty, true);
}

bool isProgramWindow(const QWidget* window) {
    return window && window->property(kProgramWindowProperty).toBool();
}

void installContextHelp(QWidget* window, HelpViewer& help, int windowTopic) {
    new ContextHelp(window, help, windowTopic);
}

int focusedHelpTopic(const QWidget* window, int windowTopic) {
    const QWidget* focus = QApplication::focusWidget();
    // A menu title highlighted from the keyboard (after F10 or Alt), its menu not open.
    if (const auto* bar = qobject_cast<const QMenuBar*>(focus); bar && bar->activeAction()) {
        if (const int topic = topicOf(bar->activeAction()->menu()))
            return topic;
    }
    for (const QWidget* w = focus; w && w != window; w = w->parentWidget()) {
        if (const int topic = topicOf(w))
            return topic;
    }
    return windowTopic;
}

} // namespace nudgewell
