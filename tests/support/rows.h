// SPDX-License-Identifier: GPL-3.0-or-later
// For the suites that loop over rows of their own rather than Qt Test's data tables.
#pragma once

#include <QScopeGuard>
#include <QTest>

namespace nudgewell::test {

// Held across a loop's row, names that row in the log if one of its checks failed.
inline auto nameFailures(const char* row) {
    return qScopeGuard(
        [row] { QTest::currentTestFailed() ? qWarning("in row \"%s\"", row) : void(); });
}

} // namespace nudgewell::test
