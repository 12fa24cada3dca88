// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/date_patterns.h"
#include "data/reminder_store.h"

#include <QFrame>
#include <QLineEdit>

class QCalendarWidget;
class QComboBox;

namespace nudgewell {

// The reminder text box: 55 characters of the record's code page, and the first 45
// characters selected whenever it gains the focus, so that typing replaces a short text.
// Tabs and line ends become spaces; characters the file cannot hold are left out, and the box
// says so.
class ReminderTextBox final : public QLineEdit {
    Q_OBJECT

public:
    explicit ReminderTextBox(QWidget* parent = nullptr);
    // Takes the focus with the first 45 characters selected, also when it had it already.
    void focusForTyping();

signals:
    // Some typed or pasted characters could not be stored and were left out.
    void charactersLeftOut();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void selectForTyping();
    bool m_selectOnRelease = false;
};

// The edit panel that takes the list's place: text, frequency, years and the date. It holds
// what is being edited; the main window keeps the records.
class ReminderEditor final : public QFrame {
    Q_OBJECT

public:
    ReminderEditor(const QLocale& locale, QWidget* parent);

    // The text box also mirrors the current record's text while browsing.
    void setReminderText(const QString& text);
    QString reminderText() const;
    // Fills the controls from a record's fields; a frequency letter the list does not offer
    // leaves the list as it is, and a date the calendar cannot show opens it on `fallback`.
    void load(char frequencyCode, char yearsFlag, const QDate& date, const QDate& fallback);
    // `base` with the panel's text, frequency, years and date; the date in `longPattern`.
    ReminderRecord edited(ReminderRecord base, const QString& longPattern,
                          const QLocale& locale) const;
    void focusForTyping();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ReminderTextBox* m_txtreminder = nullptr;
    QComboBox* m_typelist = nullptr;
    QComboBox* m_yearlist = nullptr;
    QCalendarWidget* m_calendar2 = nullptr;
};

} // namespace nudgewell
