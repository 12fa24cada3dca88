// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <QUrl>

class QHelpEngine;
class QTabWidget;
class QTextBrowser;

namespace nudgewell {

// Contents, index and full-text search beside a page view with back and forward.
class HelpWindow final : public QMainWindow {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);
    ~HelpWindow() override;

    // Opens the collection read-only; false with the reason when it holds no help.
    bool openCollection(const QString& collectionFile, QString* error);
    void showContents();
    // False when no page carries the topic.
    bool showTopic(int topic);

    QHelpEngine* engine() const { return m_engine; }
    QTextBrowser* browser() const { return m_browser; }
    QTabWidget* tabs() const { return m_tabs; }
    QUrl homePage() const;

private:
    void showPage(const QUrl& url);
    void selectInContents(const QUrl& url);
    void buildWidgets();

    QHelpEngine* m_engine = nullptr;
    QTabWidget* m_tabs = nullptr;
    QTextBrowser* m_browser = nullptr;
};

} // namespace nudgewell
