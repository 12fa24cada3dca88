// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup/startup_form.h"

#include "platform/clock.h"
#include "platform/file_replace.h"
#include "platform/help_viewer.h"
#include "platform/message_boxes.h"
#include "platform/placement.h"
#include "resources/toolbar_icons.h"
#include "ui/button_bar.h"
#include "ui/twips.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHash>
#include <QListWidget>
#include <QMenuBar>
#include <QToolBar>

namespace nudgewell {

namespace {

constexpr int kMenuTopic = 206;

constexpr ToolButton kToolSlots[] = {
    {"tooldelete", 1, QT_TRANSLATE_NOOP("nudgewell::StartupForm", "Delete Old Startup Dates")},
    {nullptr, 0, nullptr},
    {"toolhelp", 2, QT_TRANSLATE_NOOP("nudgewell::StartupForm", "Help Using Startup List")},
    {nullptr, 0, nullptr},
    {"toolclose", 3, QT_TRANSLATE_NOOP("nudgewell::StartupForm", "Close Startup List")},
};

} // namespace

StartupForm::StartupForm(const Services& services, QWidget* parent)
    : SecondaryWindow<QMainWindow>(parent), m_services(services),
      m_log(services.directory, services.files) {
    setObjectName(QStringLiteral("startup"));
    setWindowTitle(tr("Startup List"));

    m_startuplist = new QListWidget(this);
    m_startuplist->setObjectName(QStringLiteral("startuplist"));
    m_startuplist->setAccessibleName(tr("Program starts"));
    m_startuplist->setProperty(kHelpTopicProperty, 210);
    m_startuplist->setTextElideMode(Qt::ElideNone);
    setCentralWidget(m_startuplist);
    createMenus();
    createToolBar();
    enableContextHelp(m_services.help, 210);

    const double dpi = dpiOf(this);
    resize(twipsToPixels(4380, dpi), twipsToPixels(5520, dpi));
    if (parent)
        placeOnScreen(this, QRect(parent->window()->pos(), size()));

    QString error;
    if (!m_log.Open(&error))
        reportFailure(tr("The startup list cannot be opened.\n%1").arg(error));
    // A log that can only be read is listed all the same, and nothing offers to change it.
    const bool purgeable = m_log.isOpen() && !m_log.readOnly();
    for (const char* name : {"menudelete", "tooldelete"})
        findChild<QAction*>(QLatin1String(name))->setEnabled(purgeable);
    if (m_log.readOnly())
        reportFailure(tr("%1 can only be read. The Startup List shows its dates, but the old "
                         "dates cannot be deleted.\n%2")
                          .arg(QDir::toNativeSeparators(m_log.path()), m_log.readOnlyReason()));
    fillList(StartupDateColumn::AsStored);
    // The folder too: a file renamed over the log ends the watch on the old one.
    m_watcher = new QFileSystemWatcher(this);
    m_watcher->addPath(m_services.directory);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &StartupForm::showChange);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &StartupForm::showChange);
    showChange();
}

StartupForm::~StartupForm() = default;

void StartupForm::showChange() {
    const QString path = QDir(m_services.directory).filePath(QStringLiteral("startup.dat"));
    // Watched anew each time: the watch stays with the file it was set on, which a rename
    // over it takes away.
    m_watcher->removePath(path);
    if (QFileInfo::exists(path))
        m_watcher->addPath(path);
    if (!m_log.isOpen() || !m_log.changedOnDisk())
        return;
    QString error;
    if (!m_log.Open(&error))
        reportFailure(tr("The startup list cannot be opened.\n%1").arg(error));
    fillList(m_column);
}

void StartupForm::createMenus() {
    auto make = [this](QMenu* menu, const char* name, const QString& caption,
                       const QKeySequence& keys, auto handler) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(keys);
        action->setProperty(kHelpTopicProperty, kMenuTopic);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->setObjectName(QStringLiteral("menufile"));
    file->setProperty(kHelpTopicProperty, kMenuTopic);
    make(file, "menudelete", tr("&Delete Old Dates"), QKeySequence(Qt::Key_F9),
         [this] { deleteold(); });
    file->addSeparator()->setObjectName(QStringLiteral("sep1"));
    make(file, "menuclose", tr("&Close"), QKeySequence(Qt::Key_F12), [this] { close(); });

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->setObjectName(QStringLiteral("menuhelp"));
    help->setProperty(kHelpTopicProperty, kMenuTopic);
    make(help, "menuhelp1", tr("Help &Topics"), QKeySequence(),
         [this] { m_services.help.ShowHelpContents(); });
    // "F1" is part of the caption; F1 itself is the window's context help.
    make(help, "menuhelp2", tr("&Using the Startup List      F1"), QKeySequence(),
         [this] { m_services.help.ShowHelpTopic(210); });
    help->addSeparator()->setObjectName(QStringLiteral("sep2"));
    make(help, "menuhelp3", tr("&About Nudgewell"), QKeySequence(),
         [this] { emit aboutRequested(); });
}

void StartupForm::createToolBar() {
    addButtonBar(this, "nudgewell::StartupForm", kToolSlots, startupToolbarIcon,
                 [this](const QString& key) { Toolbar1_ButtonClick(key); });
}

void StartupForm::Toolbar1_ButtonClick(const QString& key) {
    if (key == QLatin1String("tooldelete"))
        deleteold();
    else if (key == QLatin1String("toolhelp"))
        m_services.help.ShowHelpTopic(206);
    else if (key == QLatin1String("toolclose"))
        close();
}

void StartupForm::reportFailure(const QString& reason) {
    m_services.messages.showMessage(this, tr("Nudgewell"), reason, MessageBoxes::Icon::Warning);
}

void StartupForm::fillList(StartupDateColumn column) {
    m_column = column;
    QStringList lines;
    QString error;
    if (!m_log.listLines(column, m_services.clock.locale(), &lines, &error))
        reportFailure(tr("The startup list cannot be read.\n%1").arg(error));
    m_startuplist->clear();
    m_startuplist->addItems(lines);
    fitRows();
    if (!lines.isEmpty())
        m_startuplist->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    m_startuplist->setFocus();
}

void StartupForm::fitRows() {
    // Laying out thousands of lines to measure each took longer than everything else the
    // window does on opening. Lines differ in size only by their digits and words, so one line
    // of each shape is measured and the others take its size.
    QStyleOptionViewItem option;
    option.initFrom(m_startuplist);
    option.font = m_startuplist->font();
    option.textElideMode = Qt::ElideNone;
    const QAbstractItemModel* model = m_startuplist->model();
    QHash<QString, QSize> sizes;
    for (int row = 0; row < m_startuplist->count(); ++row) {
        QListWidgetItem* item = m_startuplist->item(row);
        QString shape = item->text();
        for (QChar& c : shape) {
            if (c.isDigit())
                c = u'0';
        }
        auto known = sizes.find(shape);
        if (known == sizes.end())
            known = sizes.insert(
                shape, m_startuplist->itemDelegate()->sizeHint(option, model->index(row, 0)));
        item->setSizeHint(*known);
    }
}

void StartupForm::deleteold() {
    // Without the file there is nothing to purge, nor anything to ask about.
    if (!m_log.isOpen() || m_log.readOnly())
        return;
    if (!m_services.messages.askYesNo(this, tr("Delete Old Dates"),
                                      tr("Do you want to delete all of the old startup dates?")))
        return;
    QString error;
    const bool purged = m_log.purge(&error);
    const QString message = failureMessage(
        WriteResult::from(purged, error), tr("The old startup dates could not be deleted."),
        tr("The old startup dates were deleted, but the folder could not be written to disk; a "
           "power cut now could bring them back."));
    if (!message.isEmpty())
        reportFailure(message);
    if (!purged)
        return;
    fillList(StartupDateColumn::Reformatted);
}

void StartupForm::closeEvent(QCloseEvent* event) {
    m_log.Close();
    event->accept();
}

} // namespace nudgewell
