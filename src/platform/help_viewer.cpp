// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/help_viewer.h"

#include "platform/message_boxes.h"

#include <QString>

namespace nudgewell {

void NoHelpViewer::ShowHelpContents() {
    m_messages.showMessage(m_parent, QStringLiteral("Nudgewell"),
                           QStringLiteral("The help pages are not installed with this version."),
                           MessageBoxes::Icon::None);
}

void NoHelpViewer::ShowHelpTopic(int topic) {
    m_messages.showMessage(
        m_parent, QStringLiteral("Nudgewell"),
        QStringLiteral("Help topic %1 is not installed with this version.").arg(topic),
        MessageBoxes::Icon::None);
}

} // namespace nudgewell
