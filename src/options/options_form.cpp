// SPDX-License-Identifier: GPL-3.0-or-later
#include "options/options_form.h"

#include "data/settings.h"
#include "platform/file_replace.h"
#include "platform/help_viewer.h"
#include "platform/message_boxes.h"
#include "platform/placement.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace nudgewell {

namespace {

const QString kDefaultDays = QStringLiteral("6");

// Places a control at its left and top in twips with the width given; the height is the
// control's own, so that no font cuts its text.
void placeAt(QWidget* widget, double left, double top, double width) {
    placeInTwips(widget, left, top, width, 0);
    widget->resize(widget->width(), widget->sizeHint().height());
}

QFrame* makeLine(QWidget* parent, const char* name, double top) {
    auto* line = new QFrame(parent);
    line->setObjectName(QLatin1String(name));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    placeInTwips(line, 0, top - 15, 4560, 30);
    return line;
}

} // namespace

OptionsForm::OptionsForm(SettingsStore& settings, MessageBoxes& messages, HelpViewer& help,
                         QWidget* parent)
    : SecondaryWindow<QDialog>(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                           Qt::WindowCloseButtonHint),
      m_settings(settings), m_messages(messages), m_help(help) {
    setObjectName(QStringLiteral("Options"));
    setWindowTitle(tr("Options"));
    setModal(true);

    auto* frame = new QGroupBox(tr("Nudgewell"), this);
    frame->setObjectName(QStringLiteral("Frame4"));
    placeInTwips(frame, 135, 135, 4605, 2280);

    m_check1 = new QCheckBox(tr("Start Nudgewell always minimized"), frame);
    m_check1->setObjectName(QStringLiteral("Check1"));
    placeAt(m_check1, 240, 315, 4245);
    makeLine(frame, "Line1", 720);

    auto* label3 = new QLabel(tr("Number of days to be reminded?"), frame);
    label3->setObjectName(QStringLiteral("Label3"));
    label3->setWordWrap(true);
    m_combodays = new QComboBox(frame);
    m_combodays->setObjectName(QStringLiteral("combodays"));
    m_combodays->setEditable(false);
    for (int day = 1; day <= 15; ++day)
        m_combodays->addItem(QString::number(day));
    placeAt(m_combodays, 2650, 840, 1215);
    // The label keeps clear of the list: a font too wide for one line wraps it, centred
    // between the two lines around it, rather than cutting it off.
    placeInTwips(label3, 255, 900, 2650 - 255 - 60, 0);
    const int labelHeight = label3->heightForWidth(label3->width());
    label3->resize(label3->width(), labelHeight);
    if (labelHeight > label3->fontMetrics().height() * 3 / 2) {
        const double dpi = dpiOf(this);
        const int band = twipsToPixels(1320, dpi) - twipsToPixels(720, dpi);
        label3->move(label3->x(), twipsToPixels(720, dpi) + (band - labelHeight) / 2);
    }
    label3->setBuddy(m_combodays);
    makeLine(frame, "Line2", 1320);

    m_option1 = new QRadioButton(tr("Use 'mm/dd' date format"), frame);
    m_option1->setObjectName(QStringLiteral("Option1"));
    placeAt(m_option1, 240, 1470, 4245);
    m_option2 = new QRadioButton(tr("Use 'dd/mm' date format"), frame);
    m_option2->setObjectName(QStringLiteral("Option2"));
    placeAt(m_option2, 240, 1830, 4245);

    auto makeButton = [this](const char* name, const QString& caption, double left,
                             void (OptionsForm::*handler)()) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QLatin1String(name));
        placeInTwips(button, left, 2640, 1200, 495);
        button->setProperty(kHelpTopicProperty, 205);
        connect(button, &QPushButton::clicked, this, handler);
        return button;
    };
    QPushButton* save = makeButton("cmdsave", tr("&Save"), 240, &OptionsForm::cmdsave_Click);
    QPushButton* cancel =
        makeButton("cmdcancel", tr("&Cancel"), 1800, &OptionsForm::cmdcancel_Click);
    QPushButton* helpButton = makeButton("cmdhelp", tr("&Help"), 3360, &OptionsForm::cmdhelp_Click);
    save->setDefault(true);

    // The pair is one stop for Tab, on the chosen format, and the arrows change the choice
    // (moving to the other one checks it only from a checked one), as in any group of options.
    const auto tabToChosen = [this] {
        for (QRadioButton* option : {m_option1, m_option2})
            option->setFocusPolicy(option->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    };
    for (QRadioButton* option : {m_option1, m_option2})
        connect(option, &QRadioButton::toggled, this, tabToChosen);

    m_check1->setProperty(kHelpTopicProperty, 206);
    m_combodays->setProperty(kHelpTopicProperty, 207);
    m_option1->setProperty(kHelpTopicProperty, 208);
    m_option2->setProperty(kHelpTopicProperty, 208);
    // Tab follows the order the controls are read in.
    setTabOrder(m_check1, m_combodays);
    setTabOrder(m_combodays, m_option1);
    setTabOrder(m_option1, m_option2);
    setTabOrder(m_option2, save);
    setTabOrder(save, cancel);
    setTabOrder(cancel, helpButton);

    const double dpi = dpiOf(this);
    setFixedSize(twipsToPixels(5010, dpi), twipsToPixels(3345, dpi));
    if (parent)
        placeOnScreen(this, QRect(parent->window()->pos(), size()));
    enableContextHelp(help, 205);
    loadSettings();
}

bool OptionsForm::store(const QString& key, const QString& value) {
    QString error;
    const bool saved = m_settings.save(key, value, &error);
    return report(WriteResult::from(saved, error));
}

bool OptionsForm::report(const WriteResult& result) {
    const QString message = failureMessage(
        result, tr("The options were not saved."),
        tr("The options were saved, but the folder could not be written to disk; a power cut "
           "now could undo them."));
    if (!message.isEmpty())
        m_messages.showMessage(this, tr("Nudgewell"), message, MessageBoxes::Icon::Warning);
    return result.tookEffect();
}

QString OptionsForm::storedDaysOrDefault() {
    const QString days = m_settings.get(keys::DaysChecked);
    if (days.isEmpty()) {
        store(keys::DaysChecked, kDefaultDays);
        return kDefaultDays;
    }
    // The list offers only its fifteen numbers; anything else shows as the default, which
    // Save then stores in its place.
    return m_combodays->findText(days, Qt::MatchExactly) >= 0 ? days : kDefaultDays;
}

void OptionsForm::loadSettings() {
    m_combodays->setCurrentText(storedDaysOrDefault());
    const bool minimized = m_settings.get(keys::Minimize) == QLatin1String("1");
    m_check1->setChecked(minimized);
    if (!minimized)
        store(keys::Minimize, QStringLiteral("0"));
    const bool dayFirst = m_settings.get(keys::CalendarFormat) == QLatin1String("dd/mm");
    (dayFirst ? m_option2 : m_option1)->setChecked(true);
}

void OptionsForm::cmdsave_Click() {
    if (m_settings.get(keys::DaysChecked).isEmpty())
        m_combodays->setCurrentText(kDefaultDays);
    // One write for the three, so that the file never holds half of a Save.
    QString error;
    const bool saved = m_settings.save(
        {{keys::Minimize, m_check1->isChecked() ? QStringLiteral("1") : QStringLiteral("0")},
         {keys::DaysChecked, m_combodays->currentText()},
         {keys::CalendarFormat,
          m_option1->isChecked() ? QStringLiteral("mm/dd") : QStringLiteral("dd/mm")}},
        &error);
    if (!report(WriteResult::from(saved, error)))
        return;
    emit daysCheckedSaved(m_combodays->currentText());
    accept();
}

void OptionsForm::cmdcancel_Click() {
    m_check1->setChecked(m_settings.get(keys::Minimize) == QLatin1String("1"));
    m_combodays->setCurrentText(storedDaysOrDefault());
    reject();
}

void OptionsForm::cmdhelp_Click() {
    m_help.ShowHelpTopic(205);
}

void OptionsForm::keyPressEvent(QKeyEvent* event) {
    // Esc asks for help here; only Cancel and the close box leave without saving.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdhelp_Click();
        return;
    }
    SecondaryWindow<QDialog>::keyPressEvent(event);
}

} // namespace nudgewell
