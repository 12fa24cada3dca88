// SPDX-License-Identifier: GPL-3.0-or-later
// New, Edit, Save and Cancel: the main window's record state around the edit panel.
#include "data/reminder_rules.h"
#include "main/editor.h"
#include "main/main_window.h"
#include "platform/clock.h"
#include "platform/message_boxes.h"
#include "ui/twips.h"

#include <QLabel>
#include <QListView>

namespace nudgewell {

void MainWindow::moveEmptyLabels(double topTwips) {
    for (QLabel* label : {m_labelNoRemindersAll, m_labelNoRemindersWeek}) {
        const double dpi = dpiOf(label);
        label->move(label->x(), twipsToPixels(topTwips, dpi));
    }
}

void MainWindow::LoadCurrentRecord() {
    const ReminderRecord record = m_session.record(m_session.current());
    m_editor->setReminderText(record.trimmedText());
    m_labelShowYears = QString(QChar(static_cast<unsigned char>(record.yearsFlag())));
    m_labelFrequency = QString(QChar(static_cast<unsigned char>(record.frequencyCode())));
    m_labelDate = record.dateText();
}

QString MainWindow::editorMode() const {
    switch (m_session.lastEditMode()) {
    case ReminderSession::EditMode::Add:
        return QStringLiteral("add");
    case ReminderSession::EditMode::Edit:
        return QStringLiteral("edit");
    case ReminderSession::EditMode::None:
        break;
    }
    return {};
}

void MainWindow::openEditor(const QDate& date) {
    moveEmptyLabels(7000);
    m_state.mode = Mode::Editing;
    applyState();
    const char frequency = m_labelFrequency.isEmpty() ? ' ' : char(m_labelFrequency[0].unicode());
    const char years = m_labelShowYears.isEmpty() ? ' ' : char(m_labelShowYears[0].unicode());
    m_editor->load(frequency, years, date, m_services.clock.today());
    m_editor->focusForTyping();
}

void MainWindow::closeEditor() {
    moveEmptyLabels(2160);
    m_state.mode = Mode::Browsing;
    // The rebuild applies the browsing state with the list's new lines, and shows what other
    // programs wrote meanwhile.
    RefreshActiveView();
}

void MainWindow::focusView() {
    // Keys belong to the list on show, never to a hidden list or the hidden text box.
    QListView* shown = list(m_state.view);
    if (m_state.hasLines)
        shown->setFocus();
    else
        setFocus();
}

void MainWindow::menuadd_Click() {
    if (isEditing())
        return;
    const ReminderSession::Result result =
        m_session.beginNew(newPlaceholderRecord(m_services.clock.today()));
    reportWrite(result, tr("The new reminder was not added."),
                tr("The new reminder was added, but the folder could not be written to disk; a "
                   "power cut now could take it away."));
    if (!result.tookEffect())
        return;
    LoadCurrentRecord();
    // The placeholder's date is always month-first; the calendar opens on today itself.
    openEditor(m_services.clock.today());
}

void MainWindow::menuedit_Click() {
    // With no record to edit (an empty file, or just after a new one was cancelled) a Save
    // would write where no record is.
    if (isEditing() || m_state.readOnly || !m_session.beginEdit())
        return;
    openEditor(ParseStoredDate(m_labelDate, m_services.clock.locale()));
}

bool MainWindow::StoreCurrentRecord() {
    // The record as the editor opened on it keeps its reserved bytes as they were.
    const ReminderRecord record = m_editor->edited(m_session.editOriginal(), m_patterns.longPattern,
                                                   m_services.clock.locale());
    const ReminderSession::Result result = m_session.save(record);
    reportWrite(result, tr("The reminder was not saved."),
                tr("The reminder was saved, but the folder could not be written to disk; a "
                   "power cut now could undo it."));
    if (!result.tookEffect())
        return false;
    if (result.savedAsNew)
        m_services.messages.showMessage(
            this, QStringLiteral("Nudgewell"),
            tr("Another program changed or deleted this reminder while you edited it. Its "
               "version is kept, and yours is saved as a new reminder."),
            MessageBoxes::Icon::Warning);
    m_labelShowYears = QString(QChar(static_cast<unsigned char>(record.yearsFlag())));
    m_labelFrequency = QString(QChar(static_cast<unsigned char>(record.frequencyCode())));
    m_labelDate = record.dateText();
    return true;
}

void MainWindow::menusave_Click() {
    // A failed write keeps the editor open with what was typed, so nothing is lost.
    if (!isEditing() || !StoreCurrentRecord())
        return;
    closeEditor();
}

void MainWindow::menucancel_Click() {
    if (!isEditing())
        return;
    const ReminderSession::Result result = m_session.cancel();
    // A placeholder still there keeps the editor open, where Cancel can be tried again or the
    // reminder saved.
    reportWrite(result, tr("The new reminder was not removed."),
                tr("The new reminder was removed, but the folder could not be written to disk; "
                   "a power cut now could bring it back."));
    if (!result.tookEffect())
        return;
    LoadCurrentRecord();
    closeEditor();
}

} // namespace nudgewell
