// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/editor.h"

#include "data/codepage.h"
#include "data/settings.h"
#include "main/main_window.h"
#include "platform/clock.h"
#include "ui/secondary_window.h"
#include "ui/twips.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListView>
#include <QMenu>
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
// The record letters of the frequency list's items, in the list's order.
const QStringList kFrequencyLetters = {QStringLiteral("O"), QStringLiteral("W"),
                                       QStringLiteral("M"), QStringLiteral("Y")};
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

void MainWindow::createEditPanel() {
    m_frame1 = new QFrame(m_client);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    m_frame1->setFrameShape(QFrame::StyledPanel);
    placeInTwips(m_frame1, 120, 960, 8640, 3855);
    m_frame1->hide();

    auto* lblReminder = new QLabel(QStringLiteral("Reminder:"), m_frame1);
    lblReminder->setObjectName(QStringLiteral("LblReminder"));
    placeInTwips(lblReminder, 240, 240, 1040, 285);
    m_txtreminder = new ReminderTextBox(m_frame1);
    m_txtreminder->setObjectName(QStringLiteral("txtreminder"));
    m_txtreminder->setAccessibleName(QStringLiteral("Reminder"));
    lblReminder->setBuddy(m_txtreminder);
    placeInTwips(m_txtreminder, 1320, 240, 6855, 285);

    auto* lblFrequency = new QLabel(QStringLiteral("Frequency:"), m_frame1);
    lblFrequency->setObjectName(QStringLiteral("LblFrequency"));
    placeInTwips(lblFrequency, 240, 740, 1040, 315);
    m_typelist = new QComboBox(m_frame1);
    m_typelist->setObjectName(QStringLiteral("typelist"));
    m_typelist->setAccessibleName(QStringLiteral("Frequency"));
    m_typelist->addItems({QStringLiteral("Once"), QStringLiteral("Weekly"),
                          QStringLiteral("Monthly"), QStringLiteral("Yearly")});
    lblFrequency->setBuddy(m_typelist);
    placeInTwips(m_typelist, 1320, 720, 1095, 315);

    auto* lblShowYears = new QLabel(QStringLiteral("Show years?"), m_frame1);
    lblShowYears->setObjectName(QStringLiteral("LblShowYears"));
    // Right-aligned up to the combo box, so that a wider font does not cut the question.
    lblShowYears->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    placeInTwips(lblShowYears, 5400, 740, 1620, 315);
    m_yearlist = new QComboBox(m_frame1);
    m_yearlist->setObjectName(QStringLiteral("yearlist"));
    m_yearlist->setAccessibleName(QStringLiteral("Show years"));
    m_yearlist->addItems({QStringLiteral("No"), QStringLiteral("Yes")});
    lblShowYears->setBuddy(m_yearlist);
    placeInTwips(m_yearlist, 7080, 720, 1095, 315);

    for (QWidget* control : std::initializer_list<QWidget*>{m_txtreminder, m_typelist, m_yearlist})
        control->setProperty(kHelpTopicProperty, 202);

    m_calendar2 = new QCalendarWidget(m_frame1);
    m_calendar2->setObjectName(QStringLiteral("Calendar2"));
    m_calendar2->setAccessibleName(QStringLiteral("Reminder date"));
    m_calendar2->setDateRange(kFirstCalendarDay, kLastCalendarDay);
    m_calendar2->setLocale(m_services.clock.locale());
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

bool MainWindow::isEditing() const {
    return m_frame1 && !m_frame1->isHidden();
}

void MainWindow::moveEmptyLabels(double topTwips) {
    for (QLabel* label : {m_labelNoRemindersAll, m_labelNoRemindersWeek}) {
        const double dpi = dpiOf(label);
        label->move(label->x(), twipsToPixels(topTwips, dpi));
    }
}

void MainWindow::LoadCurrentRecord() {
    const ReminderRecord record = m_store.ReadRecord(m_currentRecord);
    m_txtreminder->setText(record.trimmedText());
    m_labelShowYears = QString(QChar(static_cast<unsigned char>(record.yearsFlag())));
    m_labelFrequency = QString(QChar(static_cast<unsigned char>(record.frequencyCode())));
    m_labelDate = record.dateText();
}

void MainWindow::enterEditingState() {
    m_tool[4]->setVisible(true);
    m_tool[5]->setVisible(true);
    m_menureminder2->menuAction()->setVisible(true);
    m_menusave->setEnabled(true);
    m_menucancel->setEnabled(true);
    m_menufile->menuAction()->setEnabled(false);
    for (QAction* a : m_menufile->actions())
        a->setEnabled(false);
    m_menureminder1->menuAction()->setVisible(false);
    for (QAction* a : m_menureminder1->actions())
        a->setEnabled(false);
    for (int position : {1, 2, 3, 10, 11, 12, 14, 16})
        m_tool[position]->setVisible(false);
    m_tool[6]->setEnabled(false);
    // The view button stays on the bar, disabled; Save and Cancel restore its view.
    m_editFromUpcoming = m_tool[8]->isVisible();
    if (m_editFromUpcoming) {
        m_tool[8]->setEnabled(false);
        m_reminderlist->hide();
    } else {
        m_tool[9]->setEnabled(false);
        m_reminderlist2->hide();
    }
}

void MainWindow::enterBrowsingState() {
    m_menureminder2->menuAction()->setVisible(false);
    m_menusave->setEnabled(false);
    m_menucancel->setEnabled(false);
    m_menureminder1->menuAction()->setVisible(true);
    for (QAction* a : m_menureminder1->actions())
        a->setEnabled(true);
    m_menufile->menuAction()->setEnabled(true);
    for (QAction* a : m_menufile->actions())
        a->setEnabled(true);
    for (int position : {1, 2, 3})
        m_tool[position]->setVisible(true);
    m_tool[4]->setVisible(false);
    m_tool[5]->setVisible(false);
    m_tool[6]->setEnabled(true);
    for (int position : {10, 11, 12, 14, 16})
        m_tool[position]->setVisible(true);
}

void MainWindow::restoreView() {
    if (m_editFromUpcoming) {
        m_tool[8]->setVisible(true);
        m_tool[8]->setEnabled(true);
        m_reminderlist->show();
        BuildUpcomingView();
    } else {
        m_tool[9]->setVisible(true);
        m_tool[9]->setEnabled(true);
        m_reminderlist2->show();
        BuildAllView();
    }
    focusView();
}

void MainWindow::focusView() {
    // Keys typed after Save or Cancel belong to the list, not to the hidden text box.
    QListView* list = m_editFromUpcoming ? m_reminderlist : m_reminderlist2;
    if (list->isVisible())
        list->setFocus();
    else
        setFocus();
}

void MainWindow::menuadd_Click() {
    if (isEditing())
        return;
    const QDate today = m_services.clock.today();
    const QString todayText = Format(today, QStringLiteral("mm/dd/yyyy"), QLocale::c());
    ReminderRecord placeholder;
    placeholder.setYearsFlag(HideYears);
    placeholder.setFrequencyCode(char(FrequencyCode::Once));
    placeholder.setDateText(todayText);
    QString error;
    if (!m_store.WriteRecord(m_store.count() + 1, placeholder, &error)) {
        reportFailure(error);
        return;
    }
    m_addOrEdit = QStringLiteral("add");
    moveEmptyLabels(7000);
    m_frame1->show();
    m_calendar2->setSelectedDate(today);
    m_currentRecord = m_store.count();
    m_editRecord = m_currentRecord;
    LoadCurrentRecord();
    enterEditingState();
    m_typelist->setCurrentIndex(0);
    m_yearlist->setCurrentIndex(0);
    m_txtreminder->focusForTyping();
}

void MainWindow::menuedit_Click() {
    // With no record to edit (an empty file, or just after a new one was cancelled) a Save
    // would write where no record is.
    if (isEditing() || m_currentRecord < 1 || m_currentRecord > m_store.count())
        return;
    m_addOrEdit = QStringLiteral("edit");
    m_editRecord = m_currentRecord;
    moveEmptyLabels(7000);
    m_frame1->show();
    enterEditingState();
    m_txtreminder->setText(trimBlanks(m_txtreminder->text()));
    m_yearlist->setCurrentIndex(m_labelShowYears == QLatin1String("A") ? 1 : 0);
    const int frequency = kFrequencyLetters.indexOf(m_labelFrequency);
    if (frequency >= 0)
        m_typelist->setCurrentIndex(frequency);
    // A date the calendar cannot show opens on today; the record is untouched until Save.
    const QDate stored = ParseStoredDate(m_labelDate, m_services.clock.locale());
    const bool inRange =
        stored.isValid() && stored >= kFirstCalendarDay && stored <= kLastCalendarDay;
    m_calendar2->setSelectedDate(inRange ? stored : m_services.clock.today());
    m_txtreminder->focusForTyping();
}

bool MainWindow::StoreCurrentRecord() {
    // Rereading the record keeps its reserved bytes as they were.
    ReminderRecord record = m_store.ReadRecord(m_editRecord);
    record.setText(m_txtreminder->text());
    record.setYearsFlag(m_labelShowYears.isEmpty() ? ' ' : char(m_labelShowYears.at(0).unicode()));
    record.setFrequencyCode(m_labelFrequency.isEmpty() ? ' '
                                                       : char(m_labelFrequency.at(0).unicode()));
    const QString dateText =
        Format(m_calendar2->selectedDate(), m_patterns.longPattern, m_services.clock.locale());
    record.setDateText(dateText);
    QString error;
    if (!m_store.WriteRecord(m_editRecord, record, &error)) {
        reportFailure(error);
        return false;
    }
    m_labelDate = record.dateText();
    return true;
}

void MainWindow::menusave_Click() {
    if (!isEditing())
        return;
    static const QStringList words = {QStringLiteral("Once"), QStringLiteral("Weekly"),
                                      QStringLiteral("Monthly"), QStringLiteral("Yearly")};
    const int frequency = words.indexOf(m_typelist->currentText());
    if (frequency >= 0)
        m_labelFrequency = kFrequencyLetters[frequency];
    m_labelShowYears = m_yearlist->currentText() == QLatin1String("Yes") ? QStringLiteral("A")
                                                                         : QStringLiteral("X");
    // A failed write keeps the editor open with what was typed, so nothing is lost.
    if (!StoreCurrentRecord())
        return;
    m_currentRecord = m_editRecord;
    moveEmptyLabels(2160);
    m_frame1->hide();
    enterBrowsingState();
    restoreView();
}

void MainWindow::menucancel_Click() {
    if (!isEditing())
        return;
    if (m_addOrEdit == QLatin1String("add")) {
        QString error;
        if (m_store.RewriteWithout(m_editRecord, &error)) {
            if (!error.isEmpty())
                reportFailure(error);
            if (m_store.count() == 0) {
                m_reminderlist->hide();
                m_reminderlist2->hide();
            }
            m_tool[2]->setEnabled(false);
            m_tool[3]->setEnabled(false);
        } else {
            // The placeholder is still there: stay in the editor, where Cancel can be tried
            // again or the reminder saved.
            reportFailure(error);
            return;
        }
        m_currentRecord = m_editRecord;
    } else if (m_currentRecord > m_store.count()) {
        m_currentRecord = m_store.count();
    }
    LoadCurrentRecord();
    moveEmptyLabels(2160);
    m_frame1->hide();
    enterBrowsingState();
    restoreView();
}

} // namespace nudgewell
