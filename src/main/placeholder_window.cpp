// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/placeholder_window.h"

#include "ui/secondary_window.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace nudgewell {

PlaceholderWindow::PlaceholderWindow(const QString& objectName, const QString& caption,
                                     QWidget* parent)
    : QDialog(parent) {
    setObjectName(objectName);
    setWindowTitle(caption);
    markAsProgramWindow(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("This window is not available in this version yet."), this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

} // namespace nudgewell
