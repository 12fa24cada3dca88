// SPDX-License-Identifier: GPL-3.0-or-later
// A settings file of any bytes: read, every key's readers, and each value written back and
// read again unchanged, the other keys with it.
#include "data/date_patterns.h"
#include "data/settings.h"

#include <QDir>
#include <QFile>
#include <QLocale>

#include <cstdint>
#include <cstdlib>
#include <unistd.h>

using namespace nudgewell;

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

const QString kKeys[] = {
    keys::CalendarFormat, keys::DaysChecked, keys::Height,     keys::Width,    keys::Minimize,
    keys::CopyDate,       keys::ShortDate,   keys::MediumDate, keys::LongDate, keys::NotifyAtStart};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString path =
        QDir::temp().filePath(QStringLiteral("nudgewell-fuzz-%1.conf").arg(::getpid()));
    {
        QFile file(path);
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    SettingsStore store(path);
    const int days = daysCheckedOrDefault(store.get(keys::DaysChecked));
    require(days >= 0 && days <= 366);
    const WindowSizeTwips window =
        storedWindowSize(store.get(keys::Height), store.get(keys::Width));
    require(window.height > 0 && window.height < 1e6 && window.width > 0 && window.width < 1e6);
    DateOrderFromSetting(store.get(keys::CalendarFormat), QLocale(QLocale::German));

    if (store.readError().isEmpty()) {
        QStringList before;
        for (const QString& key : kKeys)
            before << store.get(key);
        // A value made of what the file held, so that odd characters go through the writer.
        const QString changed = before.join(QLatin1Char('|')).left(200);
        require(store.save(keys::LongDate, changed));
        const SettingsStore again(path);
        require(again.readError().isEmpty());
        for (int i = 0; i < int(std::size(kKeys)); ++i)
            require(again.get(kKeys[i]) == (kKeys[i] == keys::LongDate ? changed : before[i]));
    }
    QFile::remove(path);
    return 0;
}
