// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/editor.h"

#include "data/codepage.h"
#include "data/reminder_rules.h"
#include "ui/secondary_window.h"
#include "ui/twips.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QTextCharFormat>
#include <QValidator>

namespace nudgewell {

namespace {

// Refuses characters the record file's code page cannot hold, so nothing typed is lost.
class Cp1252Validator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        for (QChar c : input) {
            if (!isCp1252(c))
                return Invalid;
        }
        return Acceptable;
    }
};

void setDayColour(QCalendarWidget* calendar, const QColor& colour) {
    QTextCharFormat format;
    format.setForeground(colour);
    for (int day = Qt::Monday; day <= Qt::Sunday; ++day)
        calendar->setWeekdayTextFormat(Qt::DayOfWeek(day), format);
}

const QDate kFirstCalendarDay(1753, 1, 1);
const QDate kLastCalendarDay(9999, 12, 31);

} // namespace

ReminderTextBox::ReminderTextBox(QWidget* parent) : QLineEdit(parent) {
    setMaxLength(55);
    setValidator(new Cp1252Validator(this));
}

void ReminderTextBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    setSelection(0, qMin<int>(45, text().size()));
}

void ReminderTextBox::focusForTyping() {
    setFocus();
    setSelection(0, qMin<int>(45, text().size()));
}

ReminderEditor::ReminderEditor(const QLocale& locale, QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Frame1"));
    setFrameShape(QFrame::StyledPanel);
    placeInTwips(this, 120, 960, 8640, 3855);

    auto* lblReminder = new QLabel(tr("Reminder:"), this);
    lblReminder->setObjectName(QStringLiteral("LblReminder"));
    placeInTwips(lblReminder, 240, 240, 1040, 285);
    m_txtreminder = new ReminderTextBox(this);
    m_txtreminder->setObjectName(QStringLiteral("txtreminder"));
    m_txtreminder->setAccessibleName(tr("Reminder"));
    lblReminder->setBuddy(m_txtreminder);
    placeInTwips(m_txtreminder, 1320, 240, 6855, 285);

    auto* lblFrequency = new QLabel(tr("Frequency:"), this);
    lblFrequency->setObjectName(QStringLiteral("LblFrequency"));
    placeInTwips(lblFrequency, 240, 740, 1040, 315);
    m_typelist = new QComboBox(this);
    m_typelist->setObjectName(QStringLiteral("typelist"));
    m_typelist->setAccessibleName(tr("Frequency"));
    // In the order of the record letters (kFrequencyChoices).
    m_typelist->addItems({tr("Once"), tr("Weekly"), tr("Monthly"), tr("Yearly")});
    lblFrequency->setBuddy(m_typelist);
    placeInTwips(m_typelist, 1320, 720, 1095, 315);

    auto* lblShowYears = new QLabel(tr("Show years?"), this);
    lblShowYears->setObjectName(QStringLiteral("LblShowYears"));
    // Right-aligned up to the combo box, so that a wider font does not cut the question.
    lblShowYears->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    placeInTwips(lblShowYears, 5400, 740, 1620, 315);
    m_yearlist = new QComboBox(this);
    m_yearlist->setObjectName(QStringLiteral("yearlist"));
    m_yearlist->setAccessibleName(tr("Show years"));
    m_yearlist->addItems({tr("No"), tr("Yes")});
    lblShowYears->setBuddy(m_yearlist);
    placeInTwips(m_yearlist, 7080, 720, 1095, 315);

    for (QWidget* control : std::initializer_list<QWidget*>{m_txtreminder, m_typelist, m_yearlist})
        control->setProperty(kHelpTopicProperty, 202);

    m_calendar2 = new QCalendarWidget(this);
    m_calendar2->setObjectName(QStringLiteral("Calendar2"));
    m_calendar2->setAccessibleName(tr("Reminder date"));
    m_calendar2->setDateRange(kFirstCalendarDay, kLastCalendarDay);
    m_calendar2->setLocale(locale);
    m_calendar2->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    placeInTwips(m_calendar2, 1320, 1260, 6270, 2370);

    // Red day numbers while the calendar has the focus, blue once it has lost it.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        const bool had = old && (old == m_calendar2 || m_calendar2->isAncestorOf(old));
        const bool has = now && (now == m_calendar2 || m_calendar2->isAncestorOf(now));
        if (has && !had)
            setDayColour(m_calendar2, QColor(255, 0, 0));
        else if (had && !has)
            setDayColour(m_calendar2, QColor(0, 0, 255));
    });
}

void ReminderEditor::setReminderText(const QString& text) {
    m_txtreminder->setText(text);
}

QString ReminderEditor::reminderText() const {
    return m_txtreminder->text();
}

void ReminderEditor::load(char frequencyCode, char yearsFlag, const QDate& date,
                          const QDate& fallback) {
    m_txtreminder->setText(trimBlanks(m_txtreminder->text()));
    m_yearlist->setCurrentIndex(yearsFlag == ShowYears ? 1 : 0);
    if (const int choice = choiceForFrequencyCode(frequencyCode); choice >= 0)
        m_typelist->setCurrentIndex(choice);
    const bool inRange = date.isValid() && date >= kFirstCalendarDay && date <= kLastCalendarDay;
    m_calendar2->setSelectedDate(inRange ? date : fallback);
}

ReminderRecord ReminderEditor::edited(ReminderRecord record, const QString& longPattern,
                                      const QLocale& locale) const {
    record.setText(m_txtreminder->text());
    record.setFrequencyCode(frequencyCodeForChoice(m_typelist->currentIndex()));
    record.setYearsFlag(m_yearlist->currentIndex() == 1 ? ShowYears : HideYears);
    record.setDateText(Format(m_calendar2->selectedDate(), longPattern, locale));
    return record;
}

void ReminderEditor::focusForTyping() {
    m_txtreminder->focusForTyping();
}

} // namespace nudgewell
