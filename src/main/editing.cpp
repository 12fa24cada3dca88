// SPDX-License-Identifier: GPL-3.0-or-later
// New, Edit, Save and Cancel: the main window's record state around the edit panel.
#include "data/reminder_rules.h"
#include "main/editor.h"
#include "main/main_window.h"
#include "platform/clock.h"
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
    const ReminderRecord record = m_store.ReadRecord(m_currentRecord);
    m_editor->setReminderText(record.trimmedText());
    m_labelShowYears = QString(QChar(static_cast<unsigned char>(record.yearsFlag())));
    m_labelFrequency = QString(QChar(static_cast<unsigned char>(record.frequencyCode())));
    m_labelDate = record.dateText();
}

void MainWindow::openEditor(const QDate& date) {
    m_editRecord = m_currentRecord;
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
    // The rebuild applies the browsing state with the list's new lines.
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
    QString error;
    if (!m_store.WriteRecord(m_store.count() + 1, newPlaceholderRecord(m_services.clock.today()),
                             &error)) {
        reportFailure(error);
        return;
    }
    m_addOrEdit = QStringLiteral("add");
    m_currentRecord = m_store.count();
    LoadCurrentRecord();
    // The placeholder's date is always month-first; the calendar opens on today itself.
    openEditor(m_services.clock.today());
}

void MainWindow::menuedit_Click() {
    // With no record to edit (an empty file, or just after a new one was cancelled) a Save
    // would write where no record is.
    if (isEditing() || m_state.readOnly || m_currentRecord < 1 || m_currentRecord > m_store.count())
        return;
    m_addOrEdit = QStringLiteral("edit");
    openEditor(ParseStoredDate(m_labelDate, m_services.clock.locale()));
}

bool MainWindow::StoreCurrentRecord() {
    // Rereading the record keeps its reserved bytes as they were.
    const ReminderRecord record = m_editor->edited(
        m_store.ReadRecord(m_editRecord), m_patterns.longPattern, m_services.clock.locale());
    QString error;
    if (!m_store.WriteRecord(m_editRecord, record, &error)) {
        reportFailure(error);
        return false;
    }
    m_labelShowYears = QString(QChar(static_cast<unsigned char>(record.yearsFlag())));
    m_labelFrequency = QString(QChar(static_cast<unsigned char>(record.frequencyCode())));
    m_labelDate = record.dateText();
    emit recordsWritten();
    return true;
}

void MainWindow::menusave_Click() {
    // A failed write keeps the editor open with what was typed, so nothing is lost.
    if (!isEditing() || !StoreCurrentRecord())
        return;
    m_currentRecord = m_editRecord;
    closeEditor();
}

void MainWindow::menucancel_Click() {
    if (!isEditing())
        return;
    if (m_addOrEdit == QLatin1String("add")) {
        QString error;
        if (!m_store.RewriteWithout(m_editRecord, &error)) {
            // The placeholder is still there: stay in the editor, where Cancel can be tried
            // again or the reminder saved.
            reportFailure(error);
            return;
        }
        if (!error.isEmpty())
            reportFailure(error);
        emit recordsWritten();
        m_currentRecord = m_editRecord;
    } else if (m_currentRecord > m_store.count()) {
        m_currentRecord = m_store.count();
    }
    LoadCurrentRecord();
    closeEditor();
}

} // namespace nudgewell
