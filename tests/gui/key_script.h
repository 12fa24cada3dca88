// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gui_fixture.h"
#include "rows.h"

#include <functional>
#include <map>

namespace nudgewell::test {

// The step language of the windows' tables. A script is steps split by commas; a step whose
// word before ':' names an action runs it with the rest, any other is a key as a user types
// it: into the open menu, else where the focus of `window` is once it is active.
using ScriptActions = std::map<QString, std::function<void(const QString&)>>;
inline void runScript(const QString& script, QWidget* window, const ScriptActions& actions) {
    for (const QString& step : script.split(',', Qt::SkipEmptyParts)) {
        if (const auto a = actions.find(step.section(':', 0, 0)); a != actions.end()) {
            a->second(step.section(':', 1));
            continue;
        }
        QWidget* target = QApplication::activePopupWidget();
        if (!target && !activeSoon(window))
            QFAIL(qPrintable(step + ": the window did not get the focus"));
        const QKeyCombination key = QKeySequence(step)[0];
        QTest::keyClick(target ? target : QApplication::focusWidget(), key.key(),
                        key.keyboardModifiers());
        // A menu's mnemonic opens the menu the next key goes to; a button's opens none.
        if (step.startsWith("Alt+"))
            (void)QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }, 300);
    }
}

} // namespace nudgewell::test
