// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/date_patterns.h"
#include "data/reminder_session.h"
#include "data/view_lines.h"
#include "import/importer.h"
#include "main/window_state.h"
#include "ui/services.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <vector>

class QAction;
class QFileSystemWatcher;
class QLabel;
class QListView;
class QMenu;
class QToolBar;
class QWindow;

namespace nudgewell {

class AboutForm;
class ReminderEditor;
class ReminderListModel;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(const Services& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Runs the start-up steps. False when reminder.dat cannot be opened: the program ends.
    bool startUp();
    // Shows the window minimised, or normal and centred, as the settings say.
    void showAsStored();

    int recordCount() const { return m_session.count(); }
    int currentRecord() const { return m_session.current(); }
    // "add" after New, "edit" after Edit, kept after the editor closes.
    QString editorMode() const;
    // The record commands on reminder.dat; an import adds through it, and recordsWritten()
    // tells when the window wrote the file.
    ReminderSession& session() { return m_session; }
    bool isEditing() const { return m_state.mode == Mode::Editing; }
    View view() const { return m_state.view; }
    double heightTwips() const { return m_heightTwips; }
    double widthTwips() const { return m_widthTwips; }

    void setOuterSizeTwips(double height, double width);
    void FitListsToWindow();
    void CenterOnScreen();
    // With keepCurrent the current record's line stays selected, else the first line is.
    void RefreshActiveView(bool keepCurrent = false);
    void BuildAllView(bool keepCurrent = false);
    void BuildUpcomingView(bool keepCurrent = false);
    void MatchSelectedLine(int row, bool upcoming);
    void LoadCurrentRecord();
    bool StoreCurrentRecord();
    void DeleteSelected();
    void PurgeOldOneTime();
    void PrintReminders();
    // Runs when the window becomes active again after another window of the program.
    void handleActivation();
    // Adds what address book and calendar files hold, while browsing, and shows every
    // reminder (importing.cpp).
    ImportReport importFiles(const QStringList& paths);

    // Commands, by the names of the menu items that run them.
    void menuadd_Click();
    void menuedit_Click();
    void menudelete_Click();
    void menudeleteold_Click();
    void menusave_Click();
    void menucancel_Click();
    void menushowall_Click();
    void menushowweek_Click();
    void menuCalendar_Click();
    void menustartup_Click();
    void menuoptions_Click();
    void menuprintreminders_Click();
    void menuhelpabout_Click();
    void menuclose_Click();
    void helponreminders_Click();
    void helpusingreminders_Click();
    void Toolbar1_ButtonClick(const QString& key);

signals:
    // reminder.dat was changed by a command (the placeholder of New aside).
    void recordsWritten();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createToolBar();
    void createLists();
    void layoutControls();

    // Shows and enables the menus, toolbar positions and lists for m_state.
    void applyState();
    void reportFailure(const QString& reason);
    // The one message rule: the command, whether it took effect, then the system's reason.
    void reportWrite(const WriteResult& result, const QString& notDone, const QString& notDurable);
    // reminder.dat or its folder changed: shows what another program wrote, while browsing.
    void watchReminderFile();
    void showForeignChange();
    // The records as the file holds them now.
    const std::vector<ReminderRecord>& readRecords();
    ViewContext viewContext() const;
    // Fills one list, shows it or its empty label, and selects its first line.
    void releaseLines();
    // Selects the line of the current record (kept after a change by another program), else
    // the first line.
    void showLines(View view, std::vector<ListLine> lines, bool keepCurrent = false);
    void openEditor(const QDate& date);
    void closeEditor();
    void focusView();
    void moveEmptyLabels(double topTwips);
    void SaveWindowSize();
    void onFocusWindowChanged(QWindow* window);
    QAction* tool(Tool position) const { return m_tools[int(position)]; }
    QListView* list(View view) const;

    Services m_services;
    ReminderSession m_session;
    WindowState m_state;
    QFileSystemWatcher* m_watcher = nullptr;
    // Several notices come with one change (a rename: file and folder): one look for them all.
    QTimer m_changeDelay;

    // The main window's mirror of the current record.
    QString m_labelDate;
    QString m_labelFrequency;
    QString m_labelShowYears;
    QString m_daysChecked;
    DatePatterns m_patterns;

    double m_heightTwips = 5655;
    double m_widthTwips = 8900;
    bool m_startMinimized = false;
    bool m_fitting = false;
    bool m_closed = false;
    // False at first: start-up has just derived the patterns and built the view, so the
    // first activation would only do it again.
    bool m_returningFromForm = false;

    QWidget* m_client = nullptr;
    QToolBar* m_toolbar = nullptr;
    QLabel* m_lblShowDate1 = nullptr;
    QLabel* m_lblShowDate2 = nullptr;
    QListView* m_reminderlist = nullptr;
    QListView* m_reminderlist2 = nullptr;
    ReminderListModel* m_upcomingModel = nullptr;
    ReminderListModel* m_allModel = nullptr;
    QLabel* m_labelNoRemindersAll = nullptr;
    QLabel* m_labelNoRemindersWeek = nullptr;
    ReminderEditor* m_editor = nullptr;

    QMenu* m_menureminder1 = nullptr;
    QMenu* m_menureminder2 = nullptr;
    // The toolbar's actions by position, separators included.
    std::array<QAction*, kToolCount + 1> m_tools = {};
    // The actions of actionStates(), row by row.
    std::vector<QAction*> m_stateActions;

    QPointer<QWidget> m_calendarWindow;
    QPointer<QWidget> m_startupWindow;
    std::unique_ptr<AboutForm> m_about;
};

} // namespace nudgewell
