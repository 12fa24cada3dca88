// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/help_viewer.h"

#include "platform/help_window.h"
#include "platform/message_boxes.h"
#include "platform/placement.h"

#include <QHelpEngine>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QWindow>

namespace nudgewell {

namespace {

const QString kCollection = QStringLiteral("Nudgewell.qhc");
const QString kDocumentation = QStringLiteral("Nudgewell.qch");

// The search index is written beside the collection. Where that folder is not ours to write
// (an installed copy), the collection is used from a copy in the user's cache folder.
QString writableCollection(const QString& collection) {
    const QFileInfo info(collection);
    if (QFileInfo(info.absolutePath()).isWritable())
        return collection;
    const QString cache =
        QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/help");
    if (!QDir().mkpath(cache))
        return collection;
    for (const QString& name : {kCollection, kDocumentation}) {
        const QFileInfo from(info.dir().filePath(name));
        const QFileInfo to(cache + QLatin1Char('/') + name);
        if (to.exists() && to.size() == from.size() && to.lastModified() >= from.lastModified())
            continue;
        QFile::remove(to.filePath());
        if (!QFile::copy(from.filePath(), to.filePath()))
            return collection;
    }
    return cache + QLatin1Char('/') + kCollection;
}

} // namespace

QtHelpViewer::QtHelpViewer(MessageBoxes& messages, QStringList collections)
    : m_messages(messages), m_collections(std::move(collections)) {}

QtHelpViewer::~QtHelpViewer() {
    delete m_window;
}

HelpWindow* QtHelpViewer::window() const {
    return m_window;
}

QStringList QtHelpViewer::installedCollections() {
    const QDir program(QCoreApplication::applicationDirPath());
    return {program.filePath(kCollection),
            QDir::cleanPath(program.filePath(QStringLiteral("../share/nudgewell/") + kCollection))};
}

void QtHelpViewer::ShowHelpContents() {
    if (!openWindow())
        return;
    m_window->showContents();
    bringToFront();
}

void QtHelpViewer::ShowHelpTopic(int topic) {
    if (!openWindow())
        return;
    if (!m_window->showTopic(topic)) {
        tell(QObject::tr("Help topic %1 is not in the help file %2.")
                 .arg(topic)
                 .arg(QDir::toNativeSeparators(m_window->engine()->collectionFile())));
        m_window->showContents();
    }
    bringToFront();
}

bool QtHelpViewer::openWindow() {
    if (m_window)
        return true;
    QString found;
    for (const QString& candidate : m_collections) {
        if (QFileInfo::exists(candidate)) {
            found = candidate;
            break;
        }
    }
    if (found.isEmpty()) {
        QStringList places;
        for (const QString& candidate : m_collections)
            places << QDir::toNativeSeparators(candidate);
        tell(QObject::tr("Nudgewell cannot show its help: the help file %1 was not found.\n"
                         "It looked for:\n%2")
                 .arg(kCollection, places.join(QLatin1Char('\n'))));
        return false;
    }
    auto* window = new HelpWindow;
    QString reason;
    if (!window->openCollection(writableCollection(found), &reason)) {
        delete window;
        tell(QObject::tr("Nudgewell cannot show its help: the help file %1 cannot be read.\n%2")
                 .arg(QDir::toNativeSeparators(found), reason));
        return false;
    }
    m_window = window;
    return true;
}

void QtHelpViewer::bringToFront() {
    // A help window asked for from a modal dialog is that dialog's companion, so the dialog
    // does not lock it out; asked for from anywhere else it stands on its own.
    m_window->winId();
    const QWidget* modal = QApplication::activeModalWidget();
    m_window->windowHandle()->setTransientParent(modal ? modal->windowHandle() : nullptr);
    // First in the middle of the screen the program is on, later where it was left; wholly
    // on the screen either way.
    if (!m_window->isVisible()) {
        const QWidget* asking = QApplication::activeWindow();
        const QScreen* screen = asking ? asking->screen() : QGuiApplication::primaryScreen();
        QRect wanted(QPoint(), m_window->size());
        if (m_window->testAttribute(Qt::WA_Moved))
            wanted = m_window->geometry();
        else if (screen)
            wanted.moveCenter(screen->availableGeometry().center());
        placeOnScreen(m_window, wanted);
    }
    if (m_window->isMinimized())
        m_window->showNormal();
    else
        m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void QtHelpViewer::tell(const QString& text) {
    m_messages.showMessage(QApplication::activeWindow(), QStringLiteral("Nudgewell"), text,
                           MessageBoxes::Icon::Warning);
}

} // namespace nudgewell
