// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/clipboard.h"
#include "platform/help_viewer.h"
#include "platform/message_boxes.h"
#include "platform/printer.h"
#include "platform/system_date.h"

#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QList>
#include <QStringList>

#include <deque>

namespace nudgewell::test {

// Records every message box and answers questions from a script (Yes when it runs dry).
class FakeMessageBoxes final : public MessageBoxes {
public:
    QStringList shown; // "title: text"
    QList<Icon> icons;
    std::deque<bool> answers;
    QString last() const { return shown.value(shown.size() - 1); }

    void showMessage(QWidget*, const QString& title, const QString& text, Icon icon) override {
        shown << title + ": " + text;
        icons << icon;
    }
    bool askYesNo(QWidget* parent, const QString& title, const QString& text) override {
        showMessage(parent, title, text, Icon::Question);
        const bool answer = answers.empty() || answers.front();
        if (!answers.empty())
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

// Keeps copied text in memory, away from the desktop's clipboard.
class FakeClipboard final : public Clipboard {
public:
    QString copied;
    void setText(const QString& text) override { copied = text; }
    QString text() const override { return copied; }
};

// Records the moments it is asked to set; fails with `refusal` when that is not empty.
class FakeSystemDate final : public SystemDate {
public:
    QList<QDateTime> requests;
    QString refusal;
    bool setDateTime(const QDateTime& moment, QString* error) override {
        requests << moment;
        if (!refusal.isEmpty() && error)
            *error = refusal;
        return refusal.isEmpty();
    }
};

// Keeps each page's texts and notes whether the busy cursor showed at each line; `failAt` names
// a step to fail.
class FakePrinter final : public Printer {
public:
    enum class Step { None, NewPage, End };
    Step failAt = Step::None;
    QList<QStringList> pages;
    bool busy = true;
    bool aborted = false;

    bool begin(QString*) override {
        pages = {QStringList()};
        return true;
    }
    double lineHeightTwips() const override { return 240; }   // 12 points
    double pageHeightTwips() const override { return 15120; } // 10.5 inches
    void printLine(double, double, const QString& text) override {
        const QCursor* cursor = QApplication::overrideCursor();
        busy = busy && cursor && cursor->shape() == Qt::WaitCursor;
        pages.last() << text;
    }
    bool newPage(QString* error) override {
        pages << QStringList();
        return succeeds(Step::NewPage, error);
    }
    bool end(QString* error) override { return succeeds(Step::End, error); }
    void abort() override { aborted = true; }

private:
    bool succeeds(Step step, QString* error) const {
        if (failAt == step && error)
            *error = QStringLiteral("injected printer failure");
        return failAt != step;
    }
};

} // namespace nudgewell::test
