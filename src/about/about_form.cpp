// SPDX-License-Identifier: GPL-3.0-or-later
#include "about/about_form.h"

#include "platform/help_viewer.h"
#include "platform/placement.h"
#include "resources/toolbar_icons.h"
#include "ui/secondary_window.h"
#include "ui/twips.h"

#include <QAction>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace nudgewell {

AboutForm::AboutForm(HelpViewer& help, QWidget* parent)
    : SecondaryWindow<QWidget>(parent), m_help(help) {
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(tr("About Nudgewell"));

    auto* logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("imgLogo"));
    logo->setAccessibleName(tr("Nudgewell logo"));
    logo->setPixmap(logoPixmap(64));
    placeInTwips(logo, 360, 360, 960, 960);

    auto* product = new QLabel(tr("Nudgewell %1").arg(QStringLiteral(NUDGEWELL_VERSION)), this);
    product->setObjectName(QStringLiteral("lblProductName"));
    QFont large(QStringLiteral("Sans Serif"));
    large.setStyleHint(QFont::SansSerif);
    large.setPointSize(24);
    large.setBold(true);
    product->setFont(large);
    placeInTwips(product, 1560, 360, 5700, 700);

    auto* notice =
        new QLabel(tr("Reminders for the days ahead. Free software under the GPL."), this);
    notice->setObjectName(QStringLiteral("lblNotice"));
    placeInTwips(notice, 1560, 1140, 5700, 300);
    notice->setWordWrap(true);

    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame2"));
    placeInTwips(frame, 360, 3300, 6780, 900);
    auto* ok = new QPushButton(tr("&OK"), frame);
    ok->setObjectName(QStringLiteral("butAboutOKR"));
    ok->setDefault(true);
    placeInTwips(ok, 3480, 240, 1500, 420);
    auto* helpButton = new QPushButton(tr("&Help"), frame);
    helpButton->setObjectName(QStringLiteral("butAboutHelpR"));
    placeInTwips(helpButton, 5160, 240, 1500, 420);
    connect(ok, &QPushButton::clicked, this, &QWidget::hide);
    connect(helpButton, &QPushButton::clicked, this, [this] { m_help.ShowHelpTopic(200); });
    ok->setProperty(kHelpTopicProperty, 200);
    helpButton->setProperty(kHelpTopicProperty, 200);
    enableContextHelp(m_help, 200);
    // A window with only OK to press closes on Esc, as a message box does.
    auto* escape = new QAction(this);
    escape->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(escape, &QAction::triggered, this, &QWidget::hide);
    addAction(escape);

    const double dpi = dpiOf(this);
    resize(twipsToPixels(7500, dpi), twipsToPixels(3900, dpi));
}

void AboutForm::open() {
    if (!m_placed) {
        m_placed = true;
        // Centred with the height it has now; only then does it take its final height.
        const QScreen* screen = parentWidget() && parentWidget()->screen()
                                    ? parentWidget()->screen()
                                    : QGuiApplication::primaryScreen();
        const QSize final(width(), twipsToPixels(4650, dpiOf(this)));
        if (screen) {
            const QRect area = screen->geometry();
            placeOnScreen(this, QRect(QPoint(area.left() + (area.width() - width()) / 2,
                                             area.top() + (area.height() - height()) / 2),
                                      final));
        } else {
            resize(final);
        }
    }
    show();
    raise();
    activateWindow();
}

} // namespace nudgewell
