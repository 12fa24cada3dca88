// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/settings.h"
#include "fake_services.h"
#include "fakes.h"
#include "main/main_window.h"
#include "ui/twips.h"

#include <QAction>
#include <QApplication>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <memory>

namespace nudgewell::test {

// Closes the modal window that is open a moment from now, noting its caption.
inline void closeModalSoon(QString* caption = nullptr) {
    QTimer::singleShot(50, [caption] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            if (caption)
                *caption = modal->windowTitle();
            modal->close();
        }
    });
}

// The window itself, not only its transient parent or child, has the focus.
inline bool activeSoon(QWidget* window) {
    window->activateWindow();
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

// One main window in its own folder and settings file, with the clock and locale pinned.
struct WindowFixture {
    explicit WindowFixture(const QDate& today = QDate(2037, 12, 6),
                           const QLocale& locale = QLocale(QLocale::English, QLocale::UnitedStates))
        : clock(QDateTime(today, QTime(10, 30, 15)), locale),
          settings(dir.filePath(QStringLiteral("settings.ini"))) {}

    QString path(const QString& name) const { return dir.filePath(name); }
    // Stores "Key=value;Key=value".
    void store(const QString& pairs) {
        for (const QString& pair : pairs.split(';', Qt::SkipEmptyParts))
            settings.save(pair.section('=', 0, 0), pair.section('=', 1));
    }
    QByteArray reminderBytes() const { return readFile(path(QStringLiteral("reminder.dat"))); }
    void writeReminders(const QList<QByteArray>& records) const {
        writeFile(path(QStringLiteral("reminder.dat")), records.join());
    }

    // The fakes as the program's services, with another printer or system date if given.
    Services services(Printer* otherPrinter = nullptr, SystemDate* otherDate = nullptr) {
        return Services{clock,     settings,
                        messages,  help,
                        files,     otherPrinter ? *otherPrinter : printer,
                        clipboard, otherDate ? *otherDate : systemDate,
                        dir.path()};
    }
    // Builds and starts the window; shows it unless told not to.
    MainWindow& start(bool show = true, Printer* otherPrinter = nullptr) {
        window = std::make_unique<MainWindow>(services(otherPrinter));
        started = window->startUp();
        if (show && started) {
            window->showAsStored();
            // Keys reach the window only once it is active.
            if (!window->isMinimized())
                started = activate();
        }
        return *window;
    }
    bool activate() const {
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }
    // A key pressed where the focus is, as a user would; gives the reminder file after it.
    QByteArray press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
        if (!window->isActiveWindow())
            activate();
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : window.get(), Qt::Key(key), modifiers);
        return reminderBytes();
    }
    void type(const QString& text) const { QTest::keyClicks(QApplication::focusWidget(), text); }

    // A size in twips as pixels on the window's screen.
    QSize pixels(double width, double height) const {
        const double dpi = dpiOf(window.get());
        return QSize(twipsToPixels(width, dpi), twipsToPixels(height, dpi));
    }
    template <typename T> T* find(const QString& name) const { return window->findChild<T*>(name); }
    QAction* action(const QString& name) const { return find<QAction>(name); }
    QSizeF twips() const { return {window->widthTwips(), window->heightTwips()}; }
    // The visible ones among the named actions, a disabled one with "-" after its name.
    QString shown(const QStringList& names) const {
        QStringList out;
        for (const QString& name : names) {
            if (const QAction* a = action(name); a->isVisible())
                out << name + (a->isEnabled() ? "" : "-");
        }
        return out.join(' ');
    }
    QString toolbar() const {
        QStringList names;
        for (const QAction* a : find<QWidget>("Toolbar1")->actions())
            names << a->objectName();
        return shown(names);
    }
    QStringList lines(const QString& list) const {
        QStringList out;
        const auto* model = find<QListView>(list)->model();
        for (int row = 0; row < model->rowCount(); ++row)
            out << model->index(row, 0).data().toString();
        return out;
    }

    QTemporaryDir dir;
    FakeClock clock;
    SettingsStore settings;
    FakeMessageBoxes messages;
    FakeHelp help;
    FailingFileSystem files;
    FakePrinter printer;
    FakeClipboard clipboard;
    FakeSystemDate systemDate;
    std::unique_ptr<MainWindow> window;
    bool started = false;
};

} // namespace nudgewell::test
