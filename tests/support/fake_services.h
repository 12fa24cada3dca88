// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/clipboard.h"
#include "platform/help_viewer.h"
#include "platform/message_boxes.h"
#include "platform/printer.h"
#include "platform/system_date.h"

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
    void setText(const QString& text) override { m_text = text; }
    QString text() const override { return m_text; }

private:
    QString m_text;
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

// A printer that keeps each page's lines as "left,top:text"; `failAt` names a step to fail.
class FakePrinter final : public Printer {
public:
    enum class Step { None, Begin, NewPage, End };
    Step failAt = Step::None;
    QList<QStringList> pages;
    bool aborted = false;
    double lineHeight = 240;   // 12 points
    double pageHeight = 15120; // 10.5 inches

    bool begin(QString* error) override {
        pages = {QStringList()};
        aborted = false;
        return succeeds(Step::Begin, error);
    }
    double lineHeightTwips() const override { return lineHeight; }
    double pageHeightTwips() const override { return pageHeight; }
    void printLine(double left, double top, const QString& text) override {
        pages.last() << QString("%1,%2:%3").arg(left).arg(top).arg(text);
    }
    bool newPage(QString* error) override {
        pages << QStringList();
        return succeeds(Step::NewPage, error);
    }
    bool end(QString* error) override { return succeeds(Step::End, error); }
    void abort() override { aborted = true; }

private:
    bool succeeds(Step step, QString* error) const {
        if (failAt != step)
            return true;
        if (error)
            *error = QStringLiteral("injected printer failure");
        return false;
    }
};

} // namespace nudgewell::test
