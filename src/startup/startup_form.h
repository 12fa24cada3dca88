// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/startup_log.h"
#include "ui/secondary_window.h"
#include "ui/services.h"

#include <QMainWindow>

class QFileSystemWatcher;
class QListWidget;

namespace nudgewell {

// "Startup List": the program's starts, newest first, and the purge of all but the last.
// Holds startup.dat open while it is open.
class StartupForm final : public SecondaryWindow<QMainWindow> {
    Q_OBJECT

public:
    StartupForm(const Services& services, QWidget* parent);
    ~StartupForm() override;

    void deleteold();
    void Toolbar1_ButtonClick(const QString& key);

signals:
    // "About Nudgewell" was chosen; the main window owns that window.
    void aboutRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    void createToolBar();
    void fillList(StartupDateColumn column);
    // Lists startup.dat again when another program changed it.
    void showChange();
    void fitRows();
    void reportFailure(const QString& reason);

    Services m_services;
    StartupLog m_log;
    QListWidget* m_startuplist = nullptr;
    QFileSystemWatcher* m_watcher = nullptr;
    StartupDateColumn m_column = StartupDateColumn::AsStored;
};

} // namespace nudgewell
