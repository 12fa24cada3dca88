// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/message_boxes.h"

#include <QMessageBox>

namespace nudgewell {

void QtMessageBoxes::showMessage(QWidget* parent, const QString& title, const QString& text,
                                 Icon icon) {
    QMessageBox box(icon == Icon::Warning    ? QMessageBox::Warning
                    : icon == Icon::Question ? QMessageBox::Question
                                             : QMessageBox::NoIcon,
                    title, text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtMessageBoxes::askYesNo(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

} // namespace nudgewell
