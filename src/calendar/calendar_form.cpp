// SPDX-License-Identifier: GPL-3.0-or-later
#include "calendar/calendar_form.h"

#include "data/copy_date.h"
#include "data/date_patterns.h"
#include "data/settings.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/help_viewer.h"
#include "platform/message_boxes.h"
#include "platform/placement.h"
#include "platform/system_date.h"
#include "resources/toolbar_icons.h"
#include "ui/button_bar.h"
#include "ui/twips.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

namespace nudgewell {

namespace {

constexpr double kWidthTwips = 3075;
constexpr double kHeightTwips = 4320;
constexpr int kWindowTopic = 209;

// Toolbar positions 1..7: key, image and tooltip; separators have no key.
constexpr ToolButton kToolSlots[7] = {
    {"cm1", 1, QT_TRANSLATE_NOOP("nudgewell::CalendarForm", "Copy Date")},
    {nullptr, 0, nullptr},
    {"cm2", 2, QT_TRANSLATE_NOOP("nudgewell::CalendarForm", "Change Date")},
    {nullptr, 0, nullptr},
    {"cm3", 3, QT_TRANSLATE_NOOP("nudgewell::CalendarForm", "Calendar Help")},
    {nullptr, 0, nullptr},
    {"cm4", 4, QT_TRANSLATE_NOOP("nudgewell::CalendarForm", "Close Calendar")},
};

} // namespace

QPointF calendarPosition(const QSizeF& screen, const QSizeF& window) {
    // The planned 3075 x 4320 window keeps 955 twips to the right edge and 1145 to the bottom;
    // a window grown by a larger font keeps the same margins rather than leave the screen.
    const double left = std::min(screen.width() - 4030, screen.width() - window.width() - 955);
    const double top = std::min(screen.height() - 5465, screen.height() - window.height() - 1145);
    return {std::max(0.0, left), std::max(0.0, top)};
}

CalendarForm::CalendarForm(const Services& services, QWidget* parent)
    : SecondaryWindow<QMainWindow>(parent), m_services(services) {
    setObjectName(QStringLiteral("calendar"));
    setWindowTitle(tr("Calendar"));
    setAttribute(Qt::WA_DeleteOnClose);
    createControls();
    createActions();
    createMenus();
    createToolBar();
    enableContextHelp(m_services.help, kWindowTopic);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &CalendarForm::onFocusWindowChanged);
    placeOnScreen();
    displaydate();
}

CalendarForm::~CalendarForm() {
    // No focus change may reach this window while its children are going.
    disconnect(qApp, nullptr, this, nullptr);
}

void CalendarForm::createControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    auto* layout = new QVBoxLayout(client);
    const int margin = twipsToPixels(60, dpiOf(this));
    layout->setContentsMargins(margin, margin, margin, margin);

    m_lbldatedisplay2 = new QLabel(client);
    m_lbldatedisplay2->setObjectName(QStringLiteral("lbldatedisplay2"));
    m_lbldatedisplay2->setAlignment(Qt::AlignCenter);
    m_lbldatedisplay2->setWordWrap(true);
    // Kept only as the window's record of today, where the long date shows.
    m_lbldatedisplay1 = new QLabel(client);
    m_lbldatedisplay1->setObjectName(QStringLiteral("lbldatedisplay1"));
    m_lbldatedisplay1->setAlignment(Qt::AlignCenter);
    m_lbldatedisplay1->hide();

    m_calendar = new QCalendarWidget(client);
    m_calendar->setObjectName(QStringLiteral("Calendar1"));
    m_calendar->setAccessibleName(tr("Calendar"));
    m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    // One letter a weekday keeps the month within the window's planned width.
    m_calendar->setHorizontalHeaderFormat(QCalendarWidget::SingleLetterDayNames);
    m_calendar->setLocale(m_services.clock.locale());
    // Only a click on a day copies; keys move the picked date without copying.
    connect(m_calendar, &QCalendarWidget::clicked, this, [this] { menucopy_Click(); });

    layout->addWidget(m_lbldatedisplay2);
    layout->addWidget(m_lbldatedisplay1);
    layout->addWidget(m_calendar, 1);
    setCentralWidget(client);
    setFocusProxy(m_calendar);
    m_calendar->setFocus();
}

void CalendarForm::createActions() {
    auto make = [this](const char* name, const QString& caption, const QKeySequence& keys,
                       int topic, void (CalendarForm::*handler)()) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(keys);
        action->setProperty(kHelpTopicProperty, topic);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    make("menucopy", tr("Cop&y date to the clipboard"), QKeySequence(Qt::CTRL | Qt::Key_Y), 211,
         &CalendarForm::menucopy_Click);
    make("menuchange", tr("Change the computer's &date"), QKeySequence(Qt::CTRL | Qt::Key_D), 210,
         &CalendarForm::menuchange_Click);
    make("menugoto", tr("Go to &Today"), QKeySequence(Qt::CTRL | Qt::Key_T), 210,
         &CalendarForm::menugoto_Click);
    make("menuclose", tr("Clo&se"), QKeySequence(Qt::Key_F12), 210, &CalendarForm::menuclose_Click);
    make("menuhelp2", tr("&Help Topics"), QKeySequence(), 200, &CalendarForm::menuhelp2_Click);
    // "F1" is part of the caption; F1 itself is context help.
    make("menuhelp1", tr("Help on &Calendar    F1"), QKeySequence(), 210,
         &CalendarForm::menuhelp1_Click);
}

void CalendarForm::createMenus() {
    auto menu = [this](const char* name, const QString& caption,
                       std::initializer_list<const char*> items) {
        QMenu* m = menuBar()->addMenu(caption);
        m->setObjectName(QLatin1String(name));
        m->setProperty(kHelpTopicProperty, 210);
        for (const char* item : items) {
            if (qstrcmp(item, "sep1") == 0)
                m->addSeparator()->setObjectName(QLatin1String(item));
            else
                m->addAction(findChild<QAction*>(QLatin1String(item)));
        }
    };
    menu("menufile", tr("&File"), {"menucopy", "menuchange", "menugoto", "sep1", "menuclose"});
    menu("menuhelp", tr("&Help"), {"menuhelp2", "menuhelp1"});
}

void CalendarForm::createToolBar() {
    addButtonBar(this, "nudgewell::CalendarForm", kToolSlots, calendarToolbarIcon,
                 [this](const QString& key) { Toolbar1_ButtonClick(key); });
}

void CalendarForm::placeOnScreen() {
    const double dpi = dpiOf(this);
    // The layout may need more room than planned (large fonts, long month names).
    resize(QSize(twipsToPixels(kWidthTwips, dpi), twipsToPixels(kHeightTwips, dpi))
               .expandedTo(minimumSizeHint()));
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QPointF at = calendarPosition(
        QSizeF(pixelsToTwips(area.width(), dpi), pixelsToTwips(area.height(), dpi)),
        QSizeF(pixelsToTwips(width(), dpi), pixelsToTwips(height(), dpi)));
    nudgewell::placeOnScreen(
        this, QRect(area.topLeft() + QPoint(twipsToPixels(at.x(), dpi), twipsToPixels(at.y(), dpi)),
                    size()));
}

QDate CalendarForm::pickedDate() const {
    return m_calendar->selectedDate();
}

void CalendarForm::displaydate() {
    const QDateTime now = m_services.clock.now();
    const QLocale locale = m_services.clock.locale();
    m_lbldatedisplay1->setText(Format(now, QStringLiteral("short date"), locale));
    m_lbldatedisplay2->setText(Format(now, QStringLiteral("long date"), locale));
    // Today is kept as a date: the short text may have a two-digit year, which would read back
    // in another century.
    m_today = now.date();
    m_calendar->setSelectedDate(m_today);
}

void CalendarForm::menucopy_Click() {
    const std::optional<QString> text = copyDateText(
        pickedDate(), [this](const QString& key) { return m_services.settings.get(key); },
        m_services.clock.locale());
    if (text)
        m_services.clipboard.setText(*text);
    m_calendar->setFocus();
}

void CalendarForm::menuchange_Click() {
    const QDate picked = pickedDate();
    const QString question =
        tr("Do you want to change the date of the computer to ") + QChar(13) +
        Format(picked, QStringLiteral("long date"), m_services.clock.locale()) + QLatin1Char('?');
    if (m_services.messages.askYesNo(this, tr("Change Computer Date"), question)) {
        // The time of day is read after the answer, which may have taken a while.
        const QDateTime moment(picked, m_services.clock.now().time());
        QString error;
        if (m_services.systemDate.setDateTime(moment, &error)) {
            displaydate();
        } else {
            m_services.messages.showMessage(this, tr("Nudgewell"),
                                            tr("The computer's date was not changed.") +
                                                QLatin1Char('\n') + error,
                                            MessageBoxes::Icon::Warning);
        }
    }
    m_calendar->setFocus();
}

void CalendarForm::menugoto_Click() {
    m_calendar->setSelectedDate(m_today);
    m_calendar->setFocus();
}

void CalendarForm::menuclose_Click() {
    close();
}

void CalendarForm::menuhelp1_Click() {
    m_services.help.ShowHelpTopic(kWindowTopic);
}

void CalendarForm::menuhelp2_Click() {
    m_services.help.ShowHelpContents();
}

void CalendarForm::Toolbar1_ButtonClick(const QString& key) {
    // Keys are compared exactly, in this order; any other key does nothing.
    static const QList<QPair<QString, void (CalendarForm::*)()>> dispatch = {
        {QStringLiteral("cm1"), &CalendarForm::menucopy_Click},
        {QStringLiteral("cm2"), &CalendarForm::menuchange_Click},
        {QStringLiteral("cm3"), &CalendarForm::menuhelp1_Click},
        {QStringLiteral("cm4"), &CalendarForm::menuclose_Click},
    };
    for (const auto& [name, handler] : dispatch) {
        if (name == key) {
            (this->*handler)();
            return;
        }
    }
}

void CalendarForm::onFocusWindowChanged(QWindow* window) {
    if (!window)
        return; // another application has the focus
    if (window != windowHandle()) {
        // A message box or dialog of this window is no other window of the program: coming back
        // from one must not move the picked date.
        const QWidget* widget = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->windowHandle() == window)
                widget = top;
        }
        m_returningFromForm = widget && (isProgramWindow(widget) || widget == parentWidget());
        return;
    }
    if (m_returningFromForm) {
        m_returningFromForm = false;
        displaydate();
    }
}

} // namespace nudgewell
