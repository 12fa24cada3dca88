// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/settings.h"
#include "fakes.h"
#include "main/main_window.h"
#include "platform/help_viewer.h"
#include "platform/message_boxes.h"

#include <QAction>
#include <QListView>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <memory>

namespace nudgewell::test {

// Records every message box and answers questions from a script (Yes when it runs dry).
class FakeMessageBoxes final : public MessageBoxes {
public:
    struct Shown {
        QString title;
        QString text;
        Icon icon;
        bool question;
    };
    std::vector<Shown> shown;
    std::deque<bool> answers;

    void showMessage(QWidget*, const QString& title, const QString& text, Icon icon) override {
        shown.push_back({title, text, icon, false});
    }
    bool askYesNo(QWidget*, const QString& title, const QString& text) override {
        shown.push_back({title, text, Icon::Question, true});
        if (answers.empty())
            return true;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class FakeHelp final : public HelpViewer {
public:
    QList<int> requests; // 0 for the contents
    void ShowHelpContents() override { requests << 0; }
    void ShowHelpTopic(int topic) override { requests << topic; }
};

// One main window in its own folder and settings file, with the clock and locale pinned.
struct WindowFixture {
    explicit WindowFixture(const QDate& today = QDate(2026, 12, 6),
                           const QLocale& locale = QLocale(QLocale::English, QLocale::UnitedStates))
        : clock(QDateTime(today, QTime(10, 30, 15)), locale),
          settings(dir.filePath(QStringLiteral("settings.ini"))) {}

    QString path(const QString& name) const { return dir.filePath(name); }
    QByteArray reminderBytes() const { return readFile(path(QStringLiteral("reminder.dat"))); }
    void writeReminders(const QList<QByteArray>& records) const {
        QByteArray all;
        for (const QByteArray& r : records)
            all += r;
        writeFile(path(QStringLiteral("reminder.dat")), all);
    }

    // Builds and starts the window; shows it unless told not to.
    MainWindow& start(bool show = true) {
        window = std::make_unique<MainWindow>(
            Services{clock, settings, messages, help, files, dir.path()});
        started = window->startUp();
        if (show && started) {
            window->showAsStored();
            // The first activation rebuilds the view; let it happen before the test acts.
            if (!window->isMinimized()) {
                window->activateWindow();
                started = QTest::qWaitForWindowActive(window.get());
            }
        }
        return *window;
    }

    template <typename T> T* find(const QString& name) const { return window->findChild<T*>(name); }
    QAction* action(const QString& name) const { return find<QAction>(name); }
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
    std::unique_ptr<MainWindow> window;
    bool started = false;
};

} // namespace nudgewell::test
