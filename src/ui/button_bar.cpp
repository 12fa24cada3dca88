// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/button_bar.h"

#include <QAction>
#include <QCoreApplication>
#include <QMainWindow>
#include <QToolBar>

namespace nudgewell {

QToolBar* addButtonBar(QMainWindow* window, const char* context,
                       std::span<const ToolButton> buttons, QIcon (*icon)(int),
                       const std::function<void(const QString&)>& click) {
    auto* bar = new QToolBar(window);
    bar->setObjectName(QStringLiteral("Toolbar1"));
    bar->setAccessibleName(QCoreApplication::translate(context, "Toolbar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    bar->toggleViewAction()->setEnabled(false);
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->setIconSize(QSize(24, 24));
    window->addToolBar(Qt::TopToolBarArea, bar);
    int position = 0;
    for (const ToolButton& button : buttons) {
        ++position;
        if (!button.key) {
            bar->addSeparator()->setObjectName(QStringLiteral("toolsep%1").arg(position));
            continue;
        }
        const QString key = QLatin1String(button.key);
        const QString tip = QCoreApplication::translate(context, button.tooltip);
        QAction* action = bar->addAction(icon(button.image), tip);
        action->setObjectName(key);
        action->setToolTip(tip);
        bar->widgetForAction(action)->setAccessibleName(tip);
        QObject::connect(action, &QAction::triggered, window, [click, key] { click(key); });
    }
    return bar;
}

} // namespace nudgewell
