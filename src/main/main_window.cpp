// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/main_window.h"

#include "about/about_form.h"
#include "data/settings.h"
#include "data/startup_log_file.h"
#include "main/commands.h"
#include "main/editor.h"
#include "main/views.h"
#include "platform/clock.h"
#include "platform/message_boxes.h"
#include "platform/placement.h"
#include "resources/toolbar_icons.h"
#include "ui/secondary_window.h"
#include "ui/twips.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QScreen>
#include <QToolBar>
#include <QWindow>

#include <cstdio>

namespace nudgewell {

namespace {

const QString kTitle = QStringLiteral("Nudgewell");

// Toolbar keys by position; none for a separator. Show All carries image 8 and Show
// Upcoming image 7.
struct ToolSlot {
    Tool position;
    const char* key;
    int image;
    const char* accessibleName;
};
constexpr ToolSlot kToolSlots[] = {
    {Tool::Add, "tooladd", 1, QT_TRANSLATE_NOOP("MainWindow", "New")},
    {Tool::Edit, "tooledit", 2, QT_TRANSLATE_NOOP("MainWindow", "Edit")},
    {Tool::Delete, "tooldelete", 3, QT_TRANSLATE_NOOP("MainWindow", "Delete")},
    {Tool::Save, "toolsave", 4, QT_TRANSLATE_NOOP("MainWindow", "Save")},
    {Tool::Cancel, "toolcancel", 5, QT_TRANSLATE_NOOP("MainWindow", "Cancel")},
    {Tool::Print, "toolprint", 6, QT_TRANSLATE_NOOP("MainWindow", "Print Reminders")},
    {Tool::Separator7, nullptr, 0, nullptr},
    {Tool::ShowAll, "toolshowall", 8, QT_TRANSLATE_NOOP("MainWindow", "Show All")},
    {Tool::ShowUpcoming, "toolshowweek", 7, QT_TRANSLATE_NOOP("MainWindow", "Show Upcoming")},
    {Tool::Startup, "toolstartup", 9, QT_TRANSLATE_NOOP("MainWindow", "Startup List")},
    {Tool::Calendar, "toolcalendar", 10, QT_TRANSLATE_NOOP("MainWindow", "Calendar")},
    {Tool::Separator12, nullptr, 0, nullptr},
    {Tool::Options, "tooloptions", 11, QT_TRANSLATE_NOOP("MainWindow", "Options")},
    {Tool::Separator14, nullptr, 0, nullptr},
    {Tool::Help, "toolhelp", 12, QT_TRANSLATE_NOOP("MainWindow", "Help")},
    {Tool::Separator16, nullptr, 0, nullptr},
    {Tool::Close, "toolclose", 13, QT_TRANSLATE_NOOP("MainWindow", "Exit")},
};
static_assert(std::size(kToolSlots) == kToolCount);

} // namespace

MainWindow::MainWindow(const Services& services, QWidget* parent)
    : QMainWindow(parent), m_services(services), m_session(services.directory, services.files) {
    // Queued, so that it sees the editor's mode after the command: New's placeholder is no
    // change worth telling.
    connect(
        &m_session, &ReminderSession::recordsWritten, this,
        [this] {
            if (m_session.editMode() != ReminderSession::EditMode::Add)
                emit recordsWritten();
        },
        Qt::QueuedConnection);
    setObjectName(QStringLiteral("reminder"));
    setWindowTitle(kTitle);
    setAcceptDrops(true); // address books and calendars
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    setCentralWidget(m_client);
    createActions();
    createMenus();
    createToolBar();
    createLists();
    m_editor = new ReminderEditor(m_services.clock.locale(), m_client);
    layoutControls();
    applyState();
    setMenuHelpTopics(this);
    installContextHelp(this, m_services.help, 200);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &MainWindow::onFocusWindowChanged);
}

MainWindow::~MainWindow() {
    // The children go after this object: no focus change may reach its handlers then.
    disconnect(qApp, nullptr, this, nullptr);
}

void MainWindow::createActions() {
    for (const ToolSlot& slot : kToolSlots) {
        auto* action = new QAction(this);
        if (slot.key) {
            const QString name = QLatin1String(slot.key);
            action->setObjectName(name);
            action->setIcon(toolbarIcon(slot.image));
            connect(action, &QAction::triggered, this,
                    [this, name] { Toolbar1_ButtonClick(name); });
        } else {
            action->setSeparator(true);
            action->setObjectName(QStringLiteral("toolsep%1").arg(int(slot.position)));
        }
        m_tools[int(slot.position)] = action;
    }
}

void MainWindow::createMenus() {
    struct Item {
        const char* name; // a separator's name begins with "sep"
        const char* caption;
        QKeyCombination keys;
        void (MainWindow::*handler)();
    };
    struct Menu {
        const char* name;
        const char* caption;
        std::initializer_list<Item> items;
    };
    const QKeyCombination none;
    // "F1" is part of the caption of "Using Nudgewell"; the item owns no shortcut.
    const Menu menus[] = {
        {"menufile",
         QT_TR_NOOP("&File"),
         {{"menuCalendar", QT_TR_NOOP("Calenda&r"), Qt::CTRL | Qt::Key_R,
           &MainWindow::menuCalendar_Click},
          {"menustartup", QT_TR_NOOP("&Startup List"), Qt::Key_F2, &MainWindow::menustartup_Click},
          {"menushowall", QT_TR_NOOP("Show &All"), Qt::Key_F3, &MainWindow::menushowall_Click},
          {"menushowweek", QT_TR_NOOP("Show &Upcoming"), Qt::Key_F4,
           &MainWindow::menushowweek_Click},
          {"sep1", nullptr, none, nullptr},
          {"menuoptions", QT_TR_NOOP("&Options"), Qt::Key_F11, &MainWindow::menuoptions_Click},
          {"menuprintreminders", QT_TR_NOOP("&Print Reminders"), Qt::CTRL | Qt::Key_P,
           &MainWindow::menuprintreminders_Click},
          {"sep2", nullptr, none, nullptr},
          {"menuclose", QT_TR_NOOP("E&xit"), Qt::Key_F12, &MainWindow::menuclose_Click}}},
        {"menureminder1",
         QT_TR_NOOP("&Reminder"),
         {{"menuadd", QT_TR_NOOP("&New"), Qt::Key_F5, &MainWindow::menuadd_Click},
          {"menuedit", QT_TR_NOOP("&Edit"), Qt::Key_F7, &MainWindow::menuedit_Click},
          {"menudelete", QT_TR_NOOP("&Delete"), Qt::Key_F9, &MainWindow::menudelete_Click},
          {"sep3", nullptr, none, nullptr},
          {"menudeleteold", QT_TR_NOOP("Delete &Old Reminders"), Qt::CTRL | Qt::Key_D,
           &MainWindow::menudeleteold_Click}}},
        {"menureminder2",
         QT_TR_NOOP("&Reminder"),
         {{"menusave", QT_TR_NOOP("&Save"), Qt::Key_F6, &MainWindow::menusave_Click},
          {"menucancel", QT_TR_NOOP("&Cancel"), Qt::Key_F8, &MainWindow::menucancel_Click}}},
        {"menuhelp",
         QT_TR_NOOP("&Help"),
         {{"helponreminders", QT_TR_NOOP("Help &Topics"), none, &MainWindow::helponreminders_Click},
          {"helpusingreminders", QT_TR_NOOP("&Using Nudgewell       F1"), none,
           &MainWindow::helpusingreminders_Click},
          {"sep4", nullptr, none, nullptr},
          {"menuhelpabout", QT_TR_NOOP("&About Nudgewell"), none,
           &MainWindow::menuhelpabout_Click}}},
    };
    for (const Menu& m : menus) {
        QMenu* menu = menuBar()->addMenu(tr(m.caption));
        menu->setObjectName(QLatin1String(m.name));
        menu->menuAction()->setObjectName(QLatin1String(m.name) + QLatin1String("Action"));
        for (const Item& item : m.items) {
            if (!item.handler) {
                menu->addSeparator()->setObjectName(QLatin1String(item.name));
                continue;
            }
            QAction* action = menu->addAction(tr(item.caption));
            action->setObjectName(QLatin1String(item.name));
            if (item.keys != none)
                action->setShortcut(QKeySequence(item.keys));
            connect(action, &QAction::triggered, this, item.handler);
        }
    }
    m_menureminder1 = findChild<QMenu*>(QStringLiteral("menureminder1"));
    m_menureminder2 = findChild<QMenu*>(QStringLiteral("menureminder2"));
    // The File menu is disabled while editing, and with it its shortcuts: Exit (F12) is the
    // window's too, so that it always works, also when Save and Cancel keep failing.
    addAction(findChild<QAction*>(QStringLiteral("menuclose")));
}

void MainWindow::createToolBar() {
    m_toolbar = new QToolBar(m_client);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setAccessibleName(tr("Toolbar"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolbar->setIconSize(QSize(24, 24));
    for (const ToolSlot& slot : kToolSlots) {
        QAction* action = tool(slot.position);
        m_toolbar->addAction(action);
        // The buttons carry no caption or tooltip, only a name for screen readers.
        if (slot.accessibleName)
            m_toolbar->widgetForAction(action)->setAccessibleName(tr(slot.accessibleName));
    }
}

void MainWindow::applyState() {
    // Looked up once: every view build comes through here.
    if (m_stateActions.empty()) {
        for (const ActionState& row : actionStates())
            m_stateActions.push_back(findChild<QAction*>(row.objectName));
    }
    const std::span<const ActionState> rows = actionStates();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        m_stateActions[i]->setVisible(rows[i].visible(m_state));
        m_stateActions[i]->setEnabled(rows[i].enabled(m_state));
    }
    const bool browsing = m_state.mode == Mode::Browsing;
    // The menu bar grabs the mnemonic of hidden menus too, and two "&Reminder"s would share
    // Alt+R press by press: only the one on show keeps its mnemonic.
    m_menureminder1->setTitle(browsing ? tr("&Reminder") : tr("Reminder"));
    m_menureminder2->setTitle(browsing ? tr("Reminder") : tr("&Reminder"));
    for (View view : {View::Upcoming, View::All})
        list(view)->setVisible(browsing && m_state.view == view && m_state.hasLines);
    m_labelNoRemindersWeek->setVisible(m_state.view == View::Upcoming && !m_state.hasLines);
    m_labelNoRemindersAll->setVisible(m_state.view == View::All && !m_state.hasLines);
    m_editor->setVisible(!browsing);
}

QListView* MainWindow::list(View view) const {
    return view == View::Upcoming ? m_reminderlist : m_reminderlist2;
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
    // No taller than the font needs, but never cutting its descenders.
    for (QLabel* label : {m_lblShowDate1, m_lblShowDate2})
        label->resize(label->width(), qMax(label->height(), label->sizeHint().height()));
    const int toolbarHeight = m_toolbar->sizeHint().height();
    m_toolbar->setGeometry(0, 0, twipsToPixels(8900, dpiOf(this)), toolbarHeight);
}

void MainWindow::reportFailure(const QString& reason) {
    m_services.messages.showMessage(this, kTitle, reason, MessageBoxes::Icon::Warning);
}

void MainWindow::reportWrite(const WriteResult& result, const QString& notDone,
                             const QString& notDurable) {
    const QString message = failureMessage(result, notDone, notDurable);
    if (!message.isEmpty())
        reportFailure(message);
}

void MainWindow::watchReminderFile() {
    if (!m_watcher) {
        m_watcher = new QFileSystemWatcher(this);
        m_changeDelay.setSingleShot(true);
        m_changeDelay.setInterval(100);
        connect(&m_changeDelay, &QTimer::timeout, this, &MainWindow::showForeignChange);
        const auto later = [this] { m_changeDelay.start(); };
        connect(m_watcher, &QFileSystemWatcher::fileChanged, this, later);
        connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, later);
        m_watcher->addPath(m_services.directory);
    }
    // Watched anew each time: the watch stays with the file it was set on, which a rename over
    // it takes away.
    const QString path = m_session.path();
    m_watcher->removePath(path);
    if (QFileInfo::exists(path))
        m_watcher->addPath(path);
}

void MainWindow::showForeignChange() {
    watchReminderFile();
    // The editor's Save and Cancel rebuild the view; the window's own writes change nothing
    // that the session does not hold already.
    QString error;
    if (m_closed || isEditing() || !m_session.refresh(true, &error))
        return;
    RefreshActiveView(true);
}

bool MainWindow::startUp() {
    SettingsStore& settings = m_services.settings;
    const QDateTime now = m_services.clock.now();
    const QLocale locale = m_services.clock.locale();
    QString error;
    if (!settings.readError().isEmpty())
        reportFailure(settings.readError());
    // Dates are written in "Calendar Format" but read in the regional order: a new user's
    // first setting follows the region, so that the two agree. The defaults a new user gets
    // are stored in one write.
    SettingsStore::Values defaults;
    if (settings.get(keys::CalendarFormat).isEmpty())
        defaults.emplace_back(keys::CalendarFormat, defaultCalendarFormat(locale));
    if (settings.get(keys::DaysChecked).isEmpty())
        defaults.emplace_back(keys::DaysChecked, QStringLiteral("6"));
    if (!defaults.empty() && settings.readError().isEmpty()) {
        const bool saved = settings.save(defaults, &error);
        reportWrite(WriteResult::from(saved, error), tr("The first settings were not saved."),
                    tr("The first settings were saved, but the folder could not be written to "
                       "disk; a power cut now could undo them."));
    }
    const DateOrder order = DateOrderFromSetting(settings.get(keys::CalendarFormat), locale);

    if (!AppendStartupRecord(m_services.directory, now, order, locale, m_services.files, &error))
        reportFailure(tr("This start could not be added to the start-up list.\n%1").arg(error));

    m_patterns = DatePatterns::forOrder(order);
    m_lblShowDate1->setText(Format(now, QStringLiteral("dddd"), locale));
    m_lblShowDate2->setText(Format(now, m_patterns.twoDigitYear, locale));

    m_daysChecked = settings.get(keys::DaysChecked);
    if (m_daysChecked.isEmpty())
        m_daysChecked = QStringLiteral("6");

    const WindowSizeTwips size =
        storedWindowSize(settings.get(keys::Height), settings.get(keys::Width));
    setOuterSizeTwips(size.height, size.width);
    m_startMinimized = settings.get(keys::Minimize) == QLatin1String("1");

    if (!m_session.open(&error)) {
        reportFailure(
            tr("Nudgewell cannot open its reminder file and will now close.\n%1").arg(error));
        return false;
    }
    m_state.readOnly = m_session.readOnly();
    if (m_state.readOnly)
        reportFailure(
            tr("%1 can only be read. Nudgewell shows its reminders, but changes "
               "cannot be saved.\n%2")
                .arg(QDir::toNativeSeparators(m_session.path()), m_session.readOnlyReason()));
    else if (m_session.count() == 0)
        reportWrite(m_session.seedSample(order), tr("The sample reminder was not added."),
                    tr("The sample reminder was added, but the folder could not be written to "
                       "disk."));
    watchReminderFile();

    m_session.setCurrent(m_session.count());
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
    placeOnScreen(this, QRect(QPoint(area.left() + twipsToPixels(left, dpi),
                                     area.top() + twipsToPixels(top, dpi)),
                              size()));
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

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // A window restored from minimised gets no resize of its own: fit the lists now.
    if (event->type() == QEvent::WindowStateChange)
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
            tr("Error Handler 20. You cannot resize this program so small. "
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
    const DateOrder order = DateOrderFromSetting(m_services.settings.get(keys::CalendarFormat),
                                                 m_services.clock.locale());
    m_patterns = DatePatterns::forOrder(order);
    m_lblShowDate2->setText(
        Format(m_services.clock.now(), m_patterns.twoDigitYear, m_services.clock.locale()));
    // A rebuild would move the current record under an open editor.
    if (!isEditing())
        RefreshActiveView();
}

void MainWindow::RefreshActiveView(bool keepCurrent) {
    if (m_state.view == View::Upcoming)
        BuildUpcomingView(keepCurrent);
    else
        BuildAllView(keepCurrent);
}

void MainWindow::SaveWindowSize() {
    // At exit: a box would hold the exit up, so the reason goes to standard error.
    QString error;
    const bool saved = m_services.settings.save(
        {{keys::Height, twipsText(m_heightTwips)}, {keys::Width, twipsText(m_widthTwips)}}, &error);
    const QString message = failureMessage(
        WriteResult::from(saved, error), tr("The window size was not saved."),
        tr("The window size was saved, but the folder could not be written to disk."));
    if (!message.isEmpty())
        std::fprintf(stderr, "nudgewell: %s\n",
                     qPrintable(QString(message).replace(QLatin1Char('\n'), QLatin1Char(' '))));
}

void MainWindow::menuclose_Click() {
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!m_closed) {
        m_closed = true;
        SaveWindowSize();
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w != this && w->isVisible())
                w->close();
        }
    }
    event->accept();
}

} // namespace nudgewell
