// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/file_system.h"

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

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

// The per-user preferences: text values in "Quorvane Software/Nudgewell.conf" under the user's
// configuration folder, section "Nudgewell", in the INI dialect QSettings reads and writes. A
// missing key reads as "".
//
// The file is the user's too (edited by hand, synchronised): get() reads the file as it is at
// that moment (again only when it changed), and every save reads it again and changes only the
// keys it sets, so every other section, key and value stays as the file has it. The file is
// written whole (through a temporary file renamed over it), with no lock file to wait on. A
// file that exists but cannot be read or parsed is never written: readError() says why, and
// get() keeps the values last read.
class SettingsStore {
public:
    using Values = std::vector<std::pair<QString, QString>>;

    // The user's own store.
    SettingsStore();
    // A store in the given INI file, for tests and tools.
    explicit SettingsStore(const QString& iniFile);
    SettingsStore(const QString& iniFile, FileSystem& files);
    ~SettingsStore();

    QString get(const QString& key) const;
    // Writes at once; false (with the reason) when the store cannot be written. True with
    // *error set: written, but the folder could not be flushed to disk. Values that the file
    // holds already are not written again.
    bool save(const QString& key, const QString& value, QString* error = nullptr);
    // Several keys in one write.
    bool save(const Values& values, QString* error = nullptr);

    // Empty, or why the file could not be read; such a file is left alone.
    QString readError() const { return m_readError; }
    QString fileName() const { return m_path; }

    // The user's settings file.
    static QString userFile();

private:
    struct Entry {
        QByteArray key;   // as in the file, escaped
        QByteArray value; // as in the file, escaped
    };
    struct Section {
        QByteArray name; // as in the file between the brackets; null: before any section
        std::vector<Entry> entries;
    };

    // Reads the file when it is not the one last read (always with `always`).
    void load(bool always = true) const;
    bool parse(const QByteArray& text, QString* error) const;
    QByteArray serialize() const;
    Entry* find(const QString& section, const QString& key);
    const Entry* find(const QString& section, const QString& key) const;

    QString m_path;
    FileSystem& m_files;
    mutable std::vector<Section> m_sections;
    mutable bool m_byteOrderMark = false; // written back, so the lines after it mean the same
    mutable FileIdentity m_loaded;        // the file as last read or written
    mutable QString m_readError;
    mutable QString m_readReason;
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
