// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/main_window.h"

#include "about/about_form.h"
#include "data/settings.h"
#include "data/startup_log_file.h"
#include "main/commands.h"
#include "main/views.h"
#include "platform/clock.h"
#include "platform/message_boxes.h"
#include "resources/toolbar_icons.h"
#include "ui/secondary_window.h"
#include "ui/twips.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QScreen>
#include <QToolBar>
#include <QWindow>

namespace nudgewell {

namespace {

const QString kTitle = QStringLiteral("Nudgewell");

// Toolbar keys by position; empty for a separator. Show All carries image 8 and Show
// Upcoming image 7.
struct ToolSlot {
    const char* key;
    int image;
    const char* accessibleName;
};
constexpr ToolSlot kToolSlots[18] = {
    {nullptr, 0, nullptr},
    {"tooladd", 1, "New"},
    {"tooledit", 2, "Edit"},
    {"tooldelete", 3, "Delete"},
    {"toolsave", 4, "Save"},
    {"toolcancel", 5, "Cancel"},
    {"toolprint", 6, "Print Reminders"},
    {nullptr, 0, nullptr},
    {"toolshowall", 8, "Show All"},
    {"toolshowweek", 7, "Show Upcoming"},
    {"toolstartup", 9, "Startup List"},
    {"toolcalendar", 10, "Calendar"},
    {nullptr, 0, nullptr},
    {"tooloptions", 11, "Options"},
    {nullptr, 0, nullptr},
    {"toolhelp", 12, "Help"},
    {nullptr, 0, nullptr},
    {"toolclose", 13, "Exit"},
};

} // namespace

MainWindow::MainWindow(const Services& services, QWidget* parent)
    : QMainWindow(parent), m_services(services), m_store(services.directory, services.files) {
    setObjectName(QStringLiteral("reminder"));
    setWindowTitle(kTitle);
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    setCentralWidget(m_client);
    createActions();
    createMenus();
    createToolBar();
    createLists();
    createEditPanel();
    layoutControls();
    setMenuHelpTopics(this);
    installContextHelp(this, m_services.help, 200);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &MainWindow::onFocusWindowChanged);
}

MainWindow::~MainWindow() {
    // The children go after this object: no focus change may reach its handlers then.
    disconnect(qApp, nullptr, this, nullptr);
}

void MainWindow::createActions() {
    auto make = [this](const char* name, const QString& caption, const QKeySequence& keys,
                       void (MainWindow::*handler)()) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QLatin1String(name));
        if (!keys.isEmpty())
            action->setShortcut(keys);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    m_menuCalendar = make("menuCalendar", QStringLiteral("Calenda&r"),
                          QKeySequence(Qt::CTRL | Qt::Key_R), &MainWindow::menuCalendar_Click);
    m_menustartup = make("menustartup", QStringLiteral("&Startup List"), QKeySequence(Qt::Key_F2),
                         &MainWindow::menustartup_Click);
    m_menushowall = make("menushowall", QStringLiteral("Show &All"), QKeySequence(Qt::Key_F3),
                         &MainWindow::menushowall_Click);
    m_menushowweek = make("menushowweek", QStringLiteral("Show &Upcoming"),
                          QKeySequence(Qt::Key_F4), &MainWindow::menushowweek_Click);
    m_menuoptions = make("menuoptions", QStringLiteral("&Options"), QKeySequence(Qt::Key_F11),
                         &MainWindow::menuoptions_Click);
    m_menuprintreminders =
        make("menuprintreminders", QStringLiteral("&Print Reminders"),
             QKeySequence(Qt::CTRL | Qt::Key_P), &MainWindow::menuprintreminders_Click);
    m_menuclose = make("menuclose", QStringLiteral("E&xit"), QKeySequence(Qt::Key_F12),
                       &MainWindow::menuclose_Click);
    m_menuadd = make("menuadd", QStringLiteral("&New"), QKeySequence(Qt::Key_F5),
                     &MainWindow::menuadd_Click);
    m_menuedit = make("menuedit", QStringLiteral("&Edit"), QKeySequence(Qt::Key_F7),
                      &MainWindow::menuedit_Click);
    m_menudelete = make("menudelete", QStringLiteral("&Delete"), QKeySequence(Qt::Key_F9),
                        &MainWindow::menudelete_Click);
    m_menudeleteold = make("menudeleteold", QStringLiteral("Delete &Old Reminders"),
                           QKeySequence(Qt::CTRL | Qt::Key_D), &MainWindow::menudeleteold_Click);
    m_menusave = make("menusave", QStringLiteral("&Save"), QKeySequence(Qt::Key_F6),
                      &MainWindow::menusave_Click);
    m_menucancel = make("menucancel", QStringLiteral("&Cancel"), QKeySequence(Qt::Key_F8),
                        &MainWindow::menucancel_Click);
    m_helponreminders = make("helponreminders", QStringLiteral("Help &Topics"), QKeySequence(),
                             &MainWindow::helponreminders_Click);
    // "F1" is part of the caption; the item owns no shortcut.
    m_helpusingreminders = make("helpusingreminders", QStringLiteral("&Using Nudgewell       F1"),
                                QKeySequence(), &MainWindow::helpusingreminders_Click);
    m_menuhelpabout = make("menuhelpabout", QStringLiteral("&About Nudgewell"), QKeySequence(),
                           &MainWindow::menuhelpabout_Click);

    for (int position = 1; position <= 17; ++position) {
        auto* action = new QAction(this);
        if (const char* key = kToolSlots[position].key) {
            const QString name = QLatin1String(key);
            action->setObjectName(name);
            action->setIcon(toolbarIcon(kToolSlots[position].image));
            connect(action, &QAction::triggered, this,
                    [this, name] { Toolbar1_ButtonClick(name); });
        } else {
            action->setSeparator(true);
            action->setObjectName(QStringLiteral("toolsep%1").arg(position));
        }
        m_tool[position] = action;
    }
}

void MainWindow::createMenus() {
    auto addSeparator = [](QMenu* menu, const char* name) {
        menu->addSeparator()->setObjectName(QLatin1String(name));
    };
    m_menufile = menuBar()->addMenu(QStringLiteral("&File"));
    m_menufile->setObjectName(QStringLiteral("menufile"));
    m_menufile->addAction(m_menuCalendar);
    m_menufile->addAction(m_menustartup);
    m_menufile->addAction(m_menushowall);
    m_menufile->addAction(m_menushowweek);
    addSeparator(m_menufile, "sep1");
    m_menufile->addAction(m_menuoptions);
    m_menufile->addAction(m_menuprintreminders);
    addSeparator(m_menufile, "sep2");
    m_menufile->addAction(m_menuclose);

    m_menureminder1 = menuBar()->addMenu(QStringLiteral("&Reminder"));
    m_menureminder1->setObjectName(QStringLiteral("menureminder1"));
    m_menureminder1->addAction(m_menuadd);
    m_menureminder1->addAction(m_menuedit);
    m_menureminder1->addAction(m_menudelete);
    addSeparator(m_menureminder1, "sep3");
    m_menureminder1->addAction(m_menudeleteold);

    m_menureminder2 = menuBar()->addMenu(QStringLiteral("&Reminder"));
    m_menureminder2->setObjectName(QStringLiteral("menureminder2"));
    m_menureminder2->addAction(m_menusave);
    m_menureminder2->addAction(m_menucancel);

    m_menuhelp = menuBar()->addMenu(QStringLiteral("&Help"));
    m_menuhelp->setObjectName(QStringLiteral("menuhelp"));
    m_menuhelp->addAction(m_helponreminders);
    m_menuhelp->addAction(m_helpusingreminders);
    addSeparator(m_menuhelp, "sep4");
    m_menuhelp->addAction(m_menuhelpabout);

    m_menufile->menuAction()->setObjectName(QStringLiteral("menufileAction"));
    m_menureminder1->menuAction()->setObjectName(QStringLiteral("menureminder1Action"));
    m_menureminder2->menuAction()->setObjectName(QStringLiteral("menureminder2Action"));
    m_menuhelp->menuAction()->setObjectName(QStringLiteral("menuhelpAction"));

    m_menushowweek->setVisible(false);
    m_menureminder2->menuAction()->setVisible(false);
    m_menusave->setEnabled(false);
    m_menucancel->setEnabled(false);
}

void MainWindow::createToolBar() {
    m_toolbar = new QToolBar(m_client);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setAccessibleName(QStringLiteral("Toolbar"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolbar->setIconSize(QSize(24, 24));
    for (int position = 1; position <= 17; ++position) {
        m_toolbar->addAction(m_tool[position]);
        // The buttons carry no caption or tooltip, only a name for screen readers.
        if (const char* name = kToolSlots[position].accessibleName)
            m_toolbar->widgetForAction(m_tool[position])->setAccessibleName(QLatin1String(name));
    }
    m_tool[4]->setVisible(false);
    m_tool[5]->setVisible(false);
    m_tool[9]->setVisible(false);
}

void MainWindow::layoutControls() {
    m_lblShowDate2 = new QLabel(m_client);
    m_lblShowDate2->setObjectName(QStringLiteral("lblShowDate2"));
    placeInTwips(m_lblShowDate2, 165, 720, 870, 195);
    m_lblShowDate1 = new QLabel(m_client);
    m_lblShowDate1->setObjectName(QStringLiteral("lblShowDate1"));
    m_lblShowDate1->setAutoFillBackground(true);
    QPalette grey = m_lblShowDate1->palette();
    grey.setColor(QPalette::Window, QColor(192, 192, 192));
    m_lblShowDate1->setPalette(grey);
    placeInTwips(m_lblShowDate1, 1000, 720, 1095, 195);
    const int toolbarHeight = m_toolbar->sizeHint().height();
    m_toolbar->setGeometry(0, 0, twipsToPixels(8900, dpiOf(this)), toolbarHeight);
}

void MainWindow::reportFailure(const QString& reason) {
    m_services.messages.showMessage(this, kTitle, reason, MessageBoxes::Icon::Warning);
}

bool MainWindow::startUp() {
    SettingsStore& settings = m_services.settings;
    const QDateTime now = m_services.clock.now();
    const QLocale locale = m_services.clock.locale();
    const DateOrder order = DateOrderFromSetting(settings.get(keys::CalendarFormat));

    QString error;
    if (!AppendStartupRecord(m_services.directory, now, order, locale, m_services.files, &error))
        reportFailure(
            QStringLiteral("This start could not be added to the start-up list.\n%1").arg(error));

    m_patterns = DatePatterns::forOrder(order);
    m_lblShowDate1->setText(Format(now, QStringLiteral("dddd"), locale));
    m_lblShowDate2->setText(Format(now, m_patterns.twoDigitYear, locale));

    m_daysChecked = settings.get(keys::DaysChecked);
    if (m_daysChecked.isEmpty()) {
        m_daysChecked = QStringLiteral("6");
        if (!settings.save(keys::DaysChecked, m_daysChecked, &error))
            reportFailure(error);
    }

    // A stored size that is no sensible number is replaced by the first-run size.
    bool heightOk = false;
    bool widthOk = false;
    const double height = settings.get(keys::Height).toDouble(&heightOk);
    const double width = settings.get(keys::Width).toDouble(&widthOk);
    if (heightOk && height > 0 && height < 1e6)
        setOuterSizeTwips(height, widthOk && width > 0 && width < 1e6 ? width : 8900);
    else
        setOuterSizeTwips(5655, 8900);
    m_startMinimized = settings.get(keys::Minimize) == QLatin1String("1");

    if (!m_store.Open(&error)) {
        reportFailure(
            QStringLiteral("Nudgewell cannot open its reminder file and will now close.\n%1")
                .arg(error));
        return false;
    }
    if (m_store.count() == 0 && !m_store.SeedSampleRecord(order, &error))
        reportFailure(error);

    m_currentRecord = m_store.count();
    LoadCurrentRecord();
    BuildUpcomingView();
    return true;
}

void MainWindow::showAsStored() {
    if (m_startMinimized) {
        showMinimized();
        return;
    }
    // Placed before it is shown, so that it does not jump.
    CenterOnScreen();
    show();
}

void MainWindow::setOuterSizeTwips(double height, double width) {
    m_heightTwips = height;
    m_widthTwips = width;
    // The window manager's frame is not ours: the size is that of the window itself, so that
    // a stored size comes back the same on every desktop.
    const double dpi = dpiOf(this);
    resize(twipsToPixels(width, dpi), twipsToPixels(height, dpi));
}

void MainWindow::CenterOnScreen() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const double dpi = dpiOf(this);
    const QRect area = screen->geometry();
    const double left = (pixelsToTwips(area.width(), dpi) - m_widthTwips) / 2;
    const double top = (pixelsToTwips(area.height(), dpi) - m_heightTwips) / 2;
    move(area.left() + twipsToPixels(left, dpi), area.top() + twipsToPixels(top, dpi));
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // Keep the size in twips; a pixel size that only rounds the stored one keeps it exact.
    const double dpi = dpiOf(this);
    const QSize outer = size();
    if (outer.width() != twipsToPixels(m_widthTwips, dpi))
        m_widthTwips = pixelsToTwips(outer.width(), dpi);
    if (outer.height() != twipsToPixels(m_heightTwips, dpi))
        m_heightTwips = pixelsToTwips(outer.height(), dpi);
    m_toolbar->setGeometry(0, 0, m_client->width(), m_toolbar->sizeHint().height());
    FitListsToWindow();
}

void MainWindow::FitListsToWindow() {
    if (m_fitting ||
        (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
        return;
    const double listHeight = m_heightTwips - 1920;
    const double listWidth = m_widthTwips - 365;
    if (listHeight < 0 || listWidth < 0) {
        m_fitting = true;
        m_services.messages.showMessage(
            this, kTitle,
            QStringLiteral("Error Handler 20. You cannot resize this program so small. "
                           "Nudgewell will now resize itself to a proper size!"),
            MessageBoxes::Icon::None);
        setOuterSizeTwips(5655, 8940);
        m_fitting = false;
        FitListsToWindow();
        return;
    }
    const double dpi = dpiOf(this);
    for (QListView* list : {m_reminderlist, m_reminderlist2})
        list->resize(twipsToPixels(listWidth, dpi), twipsToPixels(listHeight, dpi));
}

void MainWindow::onFocusWindowChanged(QWindow* window) {
    if (!window)
        return; // the program lost the focus to another application
    // Only a return from one of the program's own windows counts, not one from a message
    // box or another application. The other window may be gone by the time the focus is
    // back (a closed dialog), so remember what it was when it took the focus.
    if (window != windowHandle()) {
        const QWidget* widget = QWidget::find(window->winId());
        m_returningFromForm = isProgramWindow(widget);
        return;
    }
    if (m_returningFromForm) {
        m_returningFromForm = false;
        handleActivation();
    }
}

void MainWindow::handleActivation() {
    const DateOrder order = DateOrderFromSetting(m_services.settings.get(keys::CalendarFormat));
    m_patterns = DatePatterns::forOrder(order);
    m_lblShowDate2->setText(
        Format(m_services.clock.now(), m_patterns.twoDigitYear, m_services.clock.locale()));
    // A rebuild would move the current record under an open editor.
    if (!isEditing())
        RefreshActiveView();
}

void MainWindow::RefreshActiveView() {
    if (m_menushowall->isVisible())
        BuildUpcomingView();
    else
        BuildAllView();
}

void MainWindow::SaveWindowSize() {
    QString error;
    if (!m_services.settings.save(keys::Height, twipsText(m_heightTwips), &error) ||
        !m_services.settings.save(keys::Width, twipsText(m_widthTwips), &error))
        reportFailure(error);
}

void MainWindow::menuclose_Click() {
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!m_closed) {
        m_closed = true;
        m_store.Close();
        SaveWindowSize();
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w != this && w->isVisible())
                w->close();
        }
    }
    event->accept();
}

} // namespace nudgewell
