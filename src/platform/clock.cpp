// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/clock.h"

namespace nudgewell {

QDateTime SystemClock::now() const {
    return QDateTime::currentDateTime();
}

QLocale SystemClock::locale() const {
    return QLocale::system();
}

} // namespace nudgewell
