// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <memory>

class QSettings;

namespace nudgewell {

namespace keys {
inline const QString CalendarFormat = QStringLiteral("Calendar Format");
inline const QString DaysChecked = QStringLiteral("Days Checked");
inline const QString Height = QStringLiteral("Height");
inline const QString Width = QStringLiteral("Width");
inline const QString Minimize = QStringLiteral("Minimize");
inline const QString CopyDate = QStringLiteral("Copy Date");
inline const QString ShortDate = QStringLiteral("Short Date");
inline const QString MediumDate = QStringLiteral("Medium Date");
inline const QString LongDate = QStringLiteral("Long Date");
inline const QString NotifyAtStart = QStringLiteral("Notify At Start"); // "0": off
} // namespace keys

// The per-user preferences: text values under "Quorvane Software" / "Nudgewell", section
// "Nudgewell". A missing key reads as "".
class SettingsStore {
public:
    // The user's own store.
    SettingsStore();
    // A store in the given INI file, for tests and tools.
    explicit SettingsStore(const QString& iniFile);
    ~SettingsStore();

    QString get(const QString& key) const;
    // Writes at once; false (with the reason) when the store cannot be written.
    bool save(const QString& key, const QString& value, QString* error = nullptr);

    QString fileName() const;

private:
    std::unique_ptr<QSettings> m_settings;
};

// "Days Checked" as the views use it: a whole number from 0 to 366, else 6.
int daysCheckedOrDefault(const QString& text);

// The window's size in twips as stored in "Height" and "Width". A height that is no positive
// number below 1e6 gives the first-run size 5655 x 8900; such a width alone gives 8900.
struct WindowSizeTwips {
    double height = 5655;
    double width = 8900;
};
WindowSizeTwips storedWindowSize(const QString& height, const QString& width);

// "Height"/"Width" are single-precision numbers written as plain text ("5655").
QString twipsText(double twips);

} // namespace nudgewell
