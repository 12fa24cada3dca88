// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/commands.h"

#include "data/reminder_rules.h"

#include "about/about_form.h"
#include "calendar/calendar_form.h"
#include "main/main_window.h"
#include "main/printing.h"
#include "options/options_form.h"
#include "platform/clock.h"
#include "platform/help_viewer.h"
#include "platform/message_boxes.h"
#include "startup/startup_form.h"
#include "ui/bring_to_front.h"
#include "ui/secondary_window.h"

#include <QAction>
#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>

namespace nudgewell {

void setMenuHelpTopics(QObject* window) {
    static const QHash<QString, int> topics = {
        {QStringLiteral("menufile"), 200},
        {QStringLiteral("menustartup"), 206},
        {QStringLiteral("menushowall"), 202},
        {QStringLiteral("menushowweek"), 202},
        {QStringLiteral("menuoptions"), 205},
        {QStringLiteral("menuprintreminders"), 202},
        {QStringLiteral("menuclose"), 200},
        {QStringLiteral("menureminder1"), 202},
        {QStringLiteral("menuadd"), 202},
        {QStringLiteral("menuedit"), 202},
        {QStringLiteral("menudelete"), 202},
        {QStringLiteral("menudeleteold"), 202},
        {QStringLiteral("menusave"), 202},
        {QStringLiteral("menucancel"), 202},
        {QStringLiteral("menuhelp"), 200},
        {QStringLiteral("helponreminders"), 200},
        {QStringLiteral("helpusingreminders"), 201},
        {QStringLiteral("menuhelpabout"), 201},
    };
    for (auto it = topics.begin(); it != topics.end(); ++it) {
        if (QObject* item = window->findChild<QObject*>(it.key()))
            item->setProperty(kHelpTopicProperty, it.value());
    }
}

void MainWindow::Toolbar1_ButtonClick(const QString& key) {
    // Keys are compared exactly, in this order.
    static const QList<QPair<QString, void (MainWindow::*)()>> dispatch = {
        {QStringLiteral("tooladd"), &MainWindow::menuadd_Click},
        {QStringLiteral("tooledit"), &MainWindow::menuedit_Click},
        {QStringLiteral("tooldelete"), &MainWindow::menudelete_Click},
        {QStringLiteral("toolsave"), &MainWindow::menusave_Click},
        {QStringLiteral("toolcancel"), &MainWindow::menucancel_Click},
        {QStringLiteral("toolprint"), &MainWindow::menuprintreminders_Click},
        {QStringLiteral("toolshowweek"), &MainWindow::menushowweek_Click},
        {QStringLiteral("toolshowall"), &MainWindow::menushowall_Click},
        {QStringLiteral("toolstartup"), &MainWindow::menustartup_Click},
        {QStringLiteral("toolcalendar"), &MainWindow::menuCalendar_Click},
        {QStringLiteral("tooloptions"), &MainWindow::menuoptions_Click},
        {QStringLiteral("toolhelp"), &MainWindow::helpusingreminders_Click},
        {QStringLiteral("toolclose"), &MainWindow::menuclose_Click},
    };
    for (const auto& [name, handler] : dispatch) {
        if (name == key) {
            (this->*handler)();
            return;
        }
    }
}

void MainWindow::menushowall_Click() {
    BuildAllView();
}

void MainWindow::menushowweek_Click() {
    BuildUpcomingView();
}

void MainWindow::menuCalendar_Click() {
    if (!m_calendarWindow)
        m_calendarWindow = new CalendarForm(m_services, this);
    bringToFront(*m_calendarWindow);
}

void MainWindow::menustartup_Click() {
    if (!m_startupWindow) {
        auto* form = new StartupForm(m_services, this);
        form->setAttribute(Qt::WA_DeleteOnClose);
        connect(form, &StartupForm::aboutRequested, this, &MainWindow::menuhelpabout_Click);
        m_startupWindow = form;
    }
    bringToFront(*m_startupWindow);
}

void MainWindow::menuoptions_Click() {
    OptionsForm options(m_services.settings, m_services.messages, m_services.help, this);
    connect(&options, &OptionsForm::daysCheckedSaved, this,
            [this](const QString& days) { m_daysChecked = days; });
    options.exec();
}

void MainWindow::menuhelpabout_Click() {
    if (!m_about)
        m_about = std::make_unique<AboutForm>(m_services.help, this);
    m_about->open();
}

void MainWindow::menuprintreminders_Click() {
    PrintReminders();
}

void MainWindow::PrintReminders() {
    // Paper shows the file as it is, or nothing.
    QString error;
    m_session.refresh(true, &error);
    if (!error.isEmpty()) {
        reportFailure(error);
        return;
    }
    const std::vector<ReminderRecord>& records = m_session.records();
    // Paper is built from the file, for the view that is showing.
    const bool upcoming = m_state.view == View::Upcoming;
    const ViewContext context = viewContext();
    printReminderList(this, m_services.printer, m_services.messages,
                      PrintHeading(context.today, context.locale, windowTitle()),
                      upcoming ? printedUpcomingLines(records, context)
                               : printedAllLines(records, context),
                      !upcoming);
}

void MainWindow::helponreminders_Click() {
    m_services.help.ShowHelpContents();
}

void MainWindow::helpusingreminders_Click() {
    m_services.help.ShowHelpTopic(201);
}

void MainWindow::menudelete_Click() {
    DeleteSelected();
}

void MainWindow::menudeleteold_Click() {
    PurgeOldOneTime();
}

void MainWindow::DeleteSelected() {
    if (!m_services.messages.askYesNo(this, tr("Delete a Reminder"),
                                      tr("Do you want to delete the highlighted reminder?")))
        return;
    // With no record to delete, or one another program took away, the file stays as it is.
    reportWrite(m_session.deleteCurrent(), tr("The reminder was not deleted."),
                tr("The reminder was deleted, but the folder could not be written to disk; a "
                   "power cut now could bring it back."));
    LoadCurrentRecord();
    RefreshActiveView();
}

void MainWindow::PurgeOldOneTime() {
    if (!m_services.messages.askYesNo(this, tr("Delete a Reminder"),
                                      tr("Do you want to delete old one-time reminders?")))
        return;
    const QDate today = m_services.clock.today();
    const QLocale locale = m_services.clock.locale();
    reportWrite(m_session.purge([&](const ReminderRecord& record) {
        return !isPastOneTime(record, today, locale);
    }),
                tr("The old one-time reminders were not deleted."),
                tr("The old one-time reminders were deleted, but the folder could not be written "
                   "to disk; a power cut now could bring them back."));
    LoadCurrentRecord();
    RefreshActiveView();
}

} // namespace nudgewell
