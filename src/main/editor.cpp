// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/editor.h"

#include "data/codepage.h"
#include "data/reminder_rules.h"
#include "ui/secondary_window.h"
#include "ui/twips.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QTextCharFormat>
#include <QToolTip>
#include <QValidator>

namespace nudgewell {

namespace {

// Keeps the text storable: tabs and line ends turn into spaces, and characters the record
// file's code page cannot hold are taken out (and reported), so that nothing typed is lost
// on saving and the rest of a paste still arrives.
class Cp1252Validator final : public QValidator {
public:
    explicit Cp1252Validator(ReminderTextBox* box) : QValidator(box), m_box(box) {}
    State validate(QString& input, int& position) const override {
        bool leftOut = false;
        QString kept;
        kept.reserve(input.size());
        int newPosition = position;
        for (qsizetype i = 0; i < input.size(); ++i) {
            QChar c = input[i];
            if (c == u'\t' || c == u'\n' || c == u'\r')
                c = u' ';
            const bool pair = c.isHighSurrogate() && i + 1 < input.size();
            if (pair || !isCp1252(c)) {
                leftOut = true;
                const int width = pair ? 2 : 1;
                if (i < position)
                    newPosition -= qMin<int>(width, position - int(i));
                i += width - 1;
                continue;
            }
            kept += c;
        }
        if (leftOut) {
            input = kept;
            position = qMax(0, newPosition);
            QMetaObject::invokeMethod(m_box, &ReminderTextBox::charactersLeftOut,
                                      Qt::QueuedConnection);
        } else if (kept != input) {
            input = kept;
        }
        return Acceptable;
    }

private:
    ReminderTextBox* m_box;
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
    connect(this, &ReminderTextBox::charactersLeftOut, this, [this] {
        QToolTip::showText(mapToGlobal(QPoint(0, height())),
                           tr("Characters that cannot be stored were left out."), this);
    });
}

void ReminderTextBox::selectForTyping() {
    setSelection(0, qMin<int>(45, text().size()));
}

void ReminderTextBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    selectForTyping();
    // The click that brought the focus would put the cursor where it landed instead.
    m_selectOnRelease = event->reason() == Qt::MouseFocusReason;
}

void ReminderTextBox::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    if (m_selectOnRelease && !hasSelectedText())
        selectForTyping();
    m_selectOnRelease = false;
}

void ReminderTextBox::focusForTyping() {
    setFocus();
    selectForTyping();
}

ReminderEditor::ReminderEditor(const QLocale& locale, QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Frame1"));
    setFrameShape(QFrame::StyledPanel);
    placeInTwips(this, 120, 960, 8640, 3855);

    auto* lblReminder = new QLabel(tr("Reminder:"), this);
    lblReminder->setObjectName(QStringLiteral("LblReminder"));
    placeInTwips(lblReminder, 240, 270, 1040, 285);
    m_txtreminder = new ReminderTextBox(this);
    m_txtreminder->setObjectName(QStringLiteral("txtreminder"));
    m_txtreminder->setAccessibleName(tr("Reminder"));
    lblReminder->setBuddy(m_txtreminder);
    placeInTwips(m_txtreminder, 1320, 240, 6855, 285);

    auto* lblFrequency = new QLabel(tr("Frequency:"), this);
    lblFrequency->setObjectName(QStringLiteral("LblFrequency"));
    placeInTwips(lblFrequency, 240, 760, 1040, 315);
    m_typelist = new QComboBox(this);
    m_typelist->setObjectName(QStringLiteral("typelist"));
    m_typelist->setAccessibleName(tr("Frequency"));
    // In the order of the record letters (kFrequencyChoices).
    m_typelist->addItems({tr("Once"), tr("Weekly"), tr("Monthly"), tr("Yearly")});
    lblFrequency->setBuddy(m_typelist);
    placeInTwips(m_typelist, 1320, 720, 1095, 315);

    auto* lblShowYears = new QLabel(tr("Show years?"), this);
    lblShowYears->setObjectName(QStringLiteral("LblShowYears"));
    placeInTwips(lblShowYears, 6000, 760, 1020, 315);
    // Where the question is wider than its place at this font, it moves left rather than
    // running under the combo box.
    const int yearlistLeft = twipsToPixels(7080, dpiOf(this));
    const int width = qMax(lblShowYears->width(), lblShowYears->sizeHint().width());
    lblShowYears->setGeometry(qMin(lblShowYears->x(), yearlistLeft - 4 - width), lblShowYears->y(),
                              width, lblShowYears->height());
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
    // Typed digits would open a date box that reads two-digit years and the locale's order;
    // the keyboard moves by day, week, month (PageUp/PageDown) and year (Ctrl+PageUp/PageDown).
    m_calendar2->setDateEditEnabled(false);
    for (QWidget* child : m_calendar2->findChildren<QWidget*>())
        child->installEventFilter(this);
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

bool ReminderEditor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int years = key->key() == Qt::Key_PageUp     ? -1
                          : key->key() == Qt::Key_PageDown ? 1
                                                           : 0;
        if (years && key->modifiers() == Qt::ControlModifier) {
            const QDate moved = m_calendar2->selectedDate().addYears(years);
            if (moved >= kFirstCalendarDay && moved <= kLastCalendarDay)
                m_calendar2->setSelectedDate(moved);
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
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
