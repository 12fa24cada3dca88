// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/help_window.h"

#include <QAction>
#include <QHelpContentModel>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QHelpSearchEngine>
#include <QHelpSearchQueryWidget>
#include <QHelpSearchResultWidget>
#include <QLineEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolBar>
#include <QVBoxLayout>

namespace nudgewell {

namespace {

// Pages, pictures and style sheets come out of the collection, not off the disk.
class HelpBrowser final : public QTextBrowser {
public:
    HelpBrowser(QHelpEngine* engine, QWidget* parent) : QTextBrowser(parent), m_engine(engine) {}

    QVariant loadResource(int type, const QUrl& name) override {
        if (m_engine && name.scheme() == QLatin1String("qthelp"))
            return m_engine->fileData(name);
        return QTextBrowser::loadResource(type, name);
    }

private:
    QHelpEngine* m_engine;
};

} // namespace

HelpWindow::HelpWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(tr("Nudgewell Help"));
    setAttribute(Qt::WA_QuitOnClose, false);
}

HelpWindow::~HelpWindow() = default;

bool HelpWindow::openCollection(const QString& collectionFile, QString* error) {
    m_engine = new QHelpEngine(collectionFile, this);
    // The collection is only read: an installed copy may not be ours to change.
    m_engine->setReadOnly(true);
    m_engine->searchEngine(); // created now, so that it indexes once the data is set up
    if (!m_engine->setupData()) {
        *error = m_engine->error();
        return false;
    }
    if (m_engine->registeredDocumentations().isEmpty() || !homePage().isValid() ||
        m_engine->fileData(homePage()).isEmpty()) {
        *error = tr("It holds no help pages.");
        return false;
    }
    buildWidgets();
    return true;
}

QUrl HelpWindow::homePage() const {
    const QStringList namespaces = m_engine->registeredDocumentations();
    if (namespaces.isEmpty())
        return {};
    return QUrl(QStringLiteral("qthelp://%1/help/index.html").arg(namespaces.first()));
}

void HelpWindow::buildWidgets() {
    m_browser = new HelpBrowser(m_engine, this);
    m_browser->setObjectName(QStringLiteral("helpPage"));
    m_browser->setOpenExternalLinks(true);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::selectInContents);

    auto* contents = m_engine->contentWidget();
    contents->setObjectName(QStringLiteral("helpContents"));
    connect(contents, &QHelpContentWidget::linkActivated, this, &HelpWindow::showPage);
    // The contents are read in the background: show where the page sits once they are in.
    connect(m_engine->contentModel(), &QHelpContentModel::contentsCreated, this, [this] {
        m_engine->contentWidget()->expandToDepth(0);
        selectInContents(m_browser->source());
    });

    auto* indexPage = new QWidget;
    auto* lookFor = new QLineEdit(indexPage);
    lookFor->setObjectName(QStringLiteral("helpIndexFilter"));
    lookFor->setPlaceholderText(tr("Type a word to look for"));
    lookFor->setClearButtonEnabled(true);
    auto* index = m_engine->indexWidget();
    index->setObjectName(QStringLiteral("helpIndex"));
    connect(lookFor, &QLineEdit::textChanged, index,
            [index](const QString& text) { index->filterIndices(text); });
    connect(lookFor, &QLineEdit::returnPressed, index, &QHelpIndexWidget::activateCurrentItem);
    connect(index, &QHelpIndexWidget::documentActivated, this,
            [this](const QHelpLink& document, const QString&) { showPage(document.url); });
    connect(index, &QHelpIndexWidget::documentsActivated, this,
            [this](const QList<QHelpLink>& documents, const QString&) {
                if (!documents.isEmpty())
                    showPage(documents.first().url);
            });
    auto* indexLayout = new QVBoxLayout(indexPage);
    indexLayout->setContentsMargins(0, 0, 0, 0);
    indexLayout->addWidget(lookFor);
    indexLayout->addWidget(index);

    QHelpSearchEngine* search = m_engine->searchEngine();
    auto* searchPage = new QWidget;
    auto* searchLayout = new QVBoxLayout(searchPage);
    searchLayout->setContentsMargins(0, 0, 0, 0);
    search->queryWidget()->setObjectName(QStringLiteral("helpSearchQuery"));
    search->resultWidget()->setObjectName(QStringLiteral("helpSearchResults"));
    searchLayout->addWidget(search->queryWidget());
    searchLayout->addWidget(search->resultWidget(), 1);
    connect(search->queryWidget(), &QHelpSearchQueryWidget::search, search,
            [search] { search->search(search->queryWidget()->searchInput()); });
    connect(search->resultWidget(), &QHelpSearchResultWidget::requestShowLink, this,
            &HelpWindow::showPage);

    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("helpTabs"));
    m_tabs->addTab(contents, tr("&Contents"));
    m_tabs->addTab(indexPage, tr("I&ndex"));
    m_tabs->addTab(searchPage, tr("&Search"));
    connect(m_tabs, &QTabWidget::currentChanged, this, [this, lookFor, search](int tab) {
        if (tab == 1)
            lookFor->setFocus();
        else if (tab == 2)
            search->queryWidget()->setFocus();
    });

    auto* splitter = new QSplitter;
    splitter->addWidget(m_tabs);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({300, 600});
    setCentralWidget(splitter);

    auto* bar = addToolBar(tr("Navigation"));
    bar->setObjectName(QStringLiteral("helpToolbar"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto* back = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), tr("&Back"), m_browser,
                                &QTextBrowser::backward);
    back->setObjectName(QStringLiteral("helpBack"));
    back->setShortcut(QKeySequence::Back);
    back->setEnabled(false);
    auto* forward = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), tr("&Forward"),
                                   m_browser, &QTextBrowser::forward);
    forward->setObjectName(QStringLiteral("helpForward"));
    forward->setShortcut(QKeySequence::Forward);
    forward->setEnabled(false);
    auto* home = bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), tr("C&ontents"),
                                this, &HelpWindow::showContents);
    home->setObjectName(QStringLiteral("helpHome"));
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    auto* close = new QAction(this);
    close->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);

    resize(900, 600);
}

void HelpWindow::showPage(const QUrl& url) {
    if (m_browser->source() != url)
        m_browser->setSource(url);
}

void HelpWindow::selectInContents(const QUrl& url) {
    // The contents follow the page, Back and Forward included, so the reader sees where it
    // sits.
    const QModelIndex item = m_engine->contentWidget()->indexOf(url.adjusted(QUrl::RemoveFragment));
    if (item.isValid())
        m_engine->contentWidget()->setCurrentIndex(item);
}

void HelpWindow::showContents() {
    m_tabs->setCurrentIndex(0);
    m_engine->contentWidget()->expandToDepth(0);
    showPage(homePage());
    m_engine->contentWidget()->setFocus();
}

bool HelpWindow::showTopic(int topic) {
    const QList<QHelpLink> pages =
        m_engine->documentsForIdentifier(QStringLiteral("nudgewell.topic.%1").arg(topic));
    if (pages.isEmpty())
        return false;
    showPage(pages.first().url);
    m_browser->setFocus();
    return true;
}

} // namespace nudgewell
