// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/settings.h"

#include <QCoreApplication>
#include <QSettings>

namespace nudgewell {

namespace {
const QString kGroup = QStringLiteral("Nudgewell");
}

SettingsStore::SettingsStore()
    : m_settings(std::make_unique<QSettings>(QStringLiteral("Quorvane Software"),
                                             QStringLiteral("Nudgewell"))) {}

SettingsStore::SettingsStore(const QString& iniFile)
    : m_settings(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::get(const QString& key) const {
    m_settings->beginGroup(kGroup);
    const QVariant value = m_settings->value(key);
    m_settings->endGroup();
    return value.toString();
}

bool SettingsStore::save(const QString& key, const QString& value, QString* error) {
    m_settings->beginGroup(kGroup);
    m_settings->setValue(key, value);
    m_settings->endGroup();
    m_settings->sync();
    if (m_settings->status() == QSettings::NoError)
        return true;
    if (error)
        *error = QCoreApplication::translate("settings", "Cannot write the settings file %1.")
                     .arg(fileName());
    return false;
}

QString SettingsStore::fileName() const {
    return m_settings->fileName();
}

int daysCheckedOrDefault(const QString& text) {
    bool ok = false;
    const int days = text.trimmed().toInt(&ok);
    return (ok && days >= 0 && days <= 366) ? days : 6;
}

WindowSizeTwips storedWindowSize(const QString& heightText, const QString& widthText) {
    bool heightOk = false;
    bool widthOk = false;
    const double height = heightText.toDouble(&heightOk);
    const double width = widthText.toDouble(&widthOk);
    if (!heightOk || !(height > 0 && height < 1e6))
        return {};
    return {height, widthOk && width > 0 && width < 1e6 ? width : 8900};
}

QString twipsText(double twips) {
    return QString::number(static_cast<float>(twips), 'g', 7);
}

} // namespace nudgewell
