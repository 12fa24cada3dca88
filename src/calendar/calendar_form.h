// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/secondary_window.h"
#include "ui/services.h"

#include <QDate>
#include <QMainWindow>
#include <QPointF>
#include <QSizeF>

class QCalendarWidget;
class QLabel;
class QWindow;

namespace nudgewell {

// Where the calendar opens on a screen, all in twips: near the lower right corner, moved in
// when the window has grown larger than planned, and never above or left of the screen.
QPointF calendarPosition(const QSizeF& screen, const QSizeF& window);

// "Calendar": today's date, a month calendar whose picked date can be copied or made the
// computer's date.
class CalendarForm final : public SecondaryWindow<QMainWindow> {
    Q_OBJECT

public:
    CalendarForm(const Services& services, QWidget* parent);
    ~CalendarForm() override;

    // Today as of the last displaydate: the window does not re-read the clock in between.
    QDate today() const { return m_today; }
    QDate pickedDate() const;

    void displaydate();
    void menucopy_Click();
    void menuchange_Click();
    void menugoto_Click();
    void menuclose_Click();
    void menuhelp1_Click();
    void menuhelp2_Click();
    void Toolbar1_ButtonClick(const QString& key);

private:
    void createActions();
    void createMenus();
    void createToolBar();
    void createControls();
    void placeOnScreen();
    void onFocusWindowChanged(QWindow* window);

    Services m_services;
    QDate m_today;
    QCalendarWidget* m_calendar = nullptr;
    QLabel* m_lbldatedisplay1 = nullptr;
    QLabel* m_lbldatedisplay2 = nullptr;
    // Whether the window that last took the focus from this one was another of the program's
    // windows; a return from it counts as activation.
    bool m_returningFromForm = false;
};

} // namespace nudgewell
