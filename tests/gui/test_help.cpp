// SPDX-License-Identifier: GPL-3.0-or-later
// The compiled help collection read back, the help window and the rule that places windows.
#include "fake_services.h"
#include "fakes.h"
#include "platform/help_viewer.h"
#include "platform/help_window.h"
#include "platform/placement.h"
#include "rows.h"

#include <QAction>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexModel>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>

using namespace nudgewell;
using namespace nudgewell::test;

class TestHelp : public QObject {
    Q_OBJECT
private:
    // A copy of the built collection in a folder of its own: the search index is written
    // beside it, and the copy shows that the pair still works once moved.
    QTemporaryDir m_dir;
    const QString m_collection = m_dir.filePath("Nudgewell.qhc");
    QHelpEngine* m_engine = nullptr;
    QString m_namespace;

    // Each request in turn, "; " between them ("contents", a topic, "helpBack", "helpForward",
    // "index:word"), to a collection "built", "missing" or "garbage"; then the page the window
    // stands on ("": no window) and the start of the one message shown ("": none).
    void requestHelp(const QString& collection, const QString& requests, const QString& page,
                     const QString& message) {
        QTemporaryDir elsewhere;
        QStringList places = {collection == "built" ? m_collection
                                                    : elsewhere.filePath("Nudgewell.qhc")};
        if (collection == "missing")
            places << elsewhere.filePath("share/Nudgewell.qhc");
        else if (collection == "garbage")
            writeFile(places.first(), QByteArray("this is not a help collection\n").repeated(50));
        FakeMessageBoxes messages;
        QtHelpViewer viewer(messages, places);
        HelpWindow* first = nullptr;
        for (const QString& request : requests.split("; ")) {
            if (request == "contents") {
                viewer.ShowHelpContents();
            } else if (request.startsWith("help")) { // Back or Forward
                viewer.window()->findChild<QAction*>(request)->trigger();
            } else if (request.startsWith("index:")) {
                auto* index = viewer.window()->findChild<QHelpIndexWidget*>("helpIndex");
                QTRY_VERIFY(index->model()->rowCount() > 0);
                viewer.window()->tabs()->setCurrentIndex(1);
                viewer.window()->findChild<QLineEdit*>("helpIndexFilter")->setText(request.mid(6));
                index->activateCurrentItem();
            } else {
                viewer.ShowHelpTopic(request.toInt());
            }
            // One window, reused for every request.
            if (!first && viewer.window()) {
                first = viewer.window();
                // The contents are read in the background; the steps that follow find them in.
                QTRY_VERIFY(
                    first->findChild<QHelpContentWidget*>("helpContents")->model()->rowCount());
            }
            QCOMPARE(viewer.window(), first);
        }

        // One message at most, naming the files it looked for.
        QCOMPARE(messages.shown.size(), message.isEmpty() ? 0 : 1);
        for (const QString& place : message.isEmpty() ? QStringList() : places)
            QVERIFY2(messages.last().startsWith(message) && messages.last().contains(place),
                     qPrintable(messages.last()));
        QCOMPARE(viewer.window() != nullptr, !page.isEmpty());
        if (page.isEmpty())
            return;
        HelpWindow* window = viewer.window();
        QVERIFY(window->isVisible());
        // Wholly on the screen (800 x 600 here), however large it would be.
        QVERIFY(window->screen()->availableGeometry().contains(window->frameGeometry()));
        QCOMPARE(window->browser()->source().fileName(), page);
        QVERIFY(!window->browser()->toPlainText().isEmpty());
        // The contents show where the page sits, also after Back and Forward.
        const auto* contents = window->findChild<QHelpContentWidget*>("helpContents");
        QTRY_COMPARE(contents->currentIndex().data().toString(),
                     window->browser()->documentTitle());
        QCOMPARE(window->tabs()->currentIndex(), requests.contains("index:") ? 1 : 0);
    }

private slots:
    void initTestCase() {
        const QDir built = QFileInfo(QStringLiteral(NUDGEWELL_HELP_COLLECTION)).dir();
        for (const QString name : {"Nudgewell.qhc", "Nudgewell.qch"})
            QVERIFY(QFile::copy(built.filePath(name), m_dir.filePath(name)));
        m_engine = new QHelpEngine(m_collection, this);
        m_engine->setReadOnly(true);
        QVERIFY2(m_engine->setupData(), qPrintable(m_engine->error()));
        QCOMPARE(m_engine->registeredDocumentations().size(), 1);
        m_namespace = m_engine->registeredDocumentations().first();
    }

    void linksAndIndexEntriesResolve() {
        // Every link, picture and style sheet of every page, then every index entry, must land
        // on a file of the collection and, with a #name, on an id in that file.
        QStringList broken;
        auto check = [&](const QUrl& from, const QUrl& target) {
            const QByteArray data = m_engine->fileData(target.adjusted(QUrl::RemoveFragment));
            if (data.isEmpty() || (target.hasFragment() &&
                                   !data.contains("id=\"" + target.fragment().toUtf8() + '"')))
                broken << from.fileName() + " -> " + target.toString();
        };
        // Links to the web are not checked.
        const QRegularExpression reference(QStringLiteral("(?:href|src)=\"(?!https?:)([^\"]+)\""));
        int links = 0;
        for (const QUrl& page : m_engine->files(m_namespace, QString(), QStringLiteral("html"))) {
            const QString html = QString::fromUtf8(m_engine->fileData(page));
            for (const QRegularExpressionMatch& m : reference.globalMatch(html))
                check(page, page.resolved(QUrl(m.captured(1)))), ++links;
        }
        QVERIFY(links > 100);

        QHelpIndexModel* index = m_engine->indexModel();
        if (index->rowCount() == 0 || index->isCreatingIndex()) {
            QSignalSpy created(index, &QHelpIndexModel::indexCreated);
            index->createIndex(QString());
            QVERIFY(created.wait(10000));
        }
        QVERIFY(index->rowCount() >= 60);
        for (int row = 0; row < index->rowCount(); ++row) {
            const QString keyword = index->data(index->index(row, 0)).toString();
            const QList<QHelpLink> targets = m_engine->documentsForKeyword(keyword);
            if (targets.isEmpty())
                broken << "index: " + keyword;
            for (const QHelpLink& target : targets)
                check(QUrl("index:" + keyword), target.url);
        }
        QVERIFY2(broken.isEmpty(), qPrintable(broken.join('\n')));
    }

    void helpWindowRequests() {
        const char* rows[][5] = {
            {"a topic after the contents", "built", "contents; 201", "using-nudgewell.html", ""},
            {"the contents after a topic", "built", "209; contents", "index.html", ""},
            {"back", "built", "209; 205; helpBack", "calendar.html", ""},
            {"back and forward", "built", "209; 205; helpBack; helpForward", "options.html", ""},
            {"index entry", "built", "contents; index:Days Checked", "days-ahead.html", ""},
            {"unknown topic", "built", "199", "index.html",
             "Nudgewell: Help topic 199 is not in the help file "},
            {"missing collection", "missing", "201", "",
             "Nudgewell: Nudgewell cannot show its help: the help file Nudgewell.qhc was not "
             "found."},
            {"unreadable collection", "garbage", "contents", "",
             "Nudgewell: Nudgewell cannot show its help: the help file "},
        };
        for (const auto& row : rows) {
            const auto named = nameFailures(row[0]);
            requestHelp(row[1], row[2], row[3], row[4]);
            if (QTest::currentTestFailed())
                return;
        }
    }

    // Every window is placed by one rule: on its screen, frame and all, moved the least.
    void placement() {
        const QRect sxga(0, 0, 1280, 1024), svga(0, 0, 800, 600), right(1920, 0, 1024, 768);
        const QMargins frame(4, 24, 4, 4);
        for (const auto& [wanted, area, placed] :
             {// help below the bottom edge; fits, so stays; 800 x 600: too wide and too high,
              // shrunk; above and left of it; a second screen: kept on it, at its right edge
              std::tuple{QRect(190, 439, 900, 600), sxga, QRect(190, 420, 900, 600)},
              {QRect(10, 30, 900, 600), sxga, QRect(10, 30, 900, 600)},
              {QRect(100, 100, 900, 640), svga, QRect(4, 24, 792, 572)},
              {QRect(-50, -10, 400, 300), svga, QRect(4, 24, 400, 300)},
              {QRect(2800, 100, 300, 200), right, QRect(2640, 100, 300, 200)}}) {
            QCOMPARE(fitOnScreen(wanted, frame, area), placed);
            QVERIFY(area.contains(placed.marginsAdded(frame)));
        }
    }
};

QTEST_MAIN(TestHelp)
#include "test_help.moc"
