// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/secondary_window.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;

namespace nudgewell {

class HelpViewer;
class MessageBoxes;
class SettingsStore;
struct WriteResult;

// "Options": start minimised, the number of days the upcoming view looks ahead, and the date
// order. Modal; Enter saves, Esc opens its help and keeps it open.
class OptionsForm final : public SecondaryWindow<QDialog> {
    Q_OBJECT

public:
    OptionsForm(SettingsStore& settings, MessageBoxes& messages, HelpViewer& help, QWidget* parent);

    void cmdsave_Click();
    void cmdcancel_Click();
    void cmdhelp_Click();

signals:
    // Save has stored this number of days; the main window's days label takes it.
    void daysCheckedSaved(const QString& days);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void loadSettings();
    // Stores a value; on failure says why and returns false.
    bool store(const QString& key, const QString& value);
    // Says what did and did not happen; false when nothing was saved.
    bool report(const WriteResult& result);
    QString storedDaysOrDefault();

    SettingsStore& m_settings;
    MessageBoxes& m_messages;
    HelpViewer& m_help;
    QCheckBox* m_check1 = nullptr;
    QComboBox* m_combodays = nullptr;
    QRadioButton* m_option1 = nullptr;
    QRadioButton* m_option2 = nullptr;
};

} // namespace nudgewell
