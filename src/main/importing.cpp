// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/main_window.h"

#include "platform/clock.h"
#include "platform/message_boxes.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>

namespace nudgewell {

namespace {

// The local .vcf and .ics files of a drop; empty when anything else is in it.
QStringList importableFiles(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls()) {
        const QString suffix = QFileInfo(url.toLocalFile()).suffix().toLower();
        if (!url.isLocalFile() || (suffix != u"vcf" && suffix != u"vcard" && suffix != u"ics"))
            return {};
        files << url.toLocalFile();
    }
    return files;
}

// The box lists this many of the entries skipped; the terminal gets them all.
constexpr int kProblemsShown = 10;

} // namespace

ImportReport MainWindow::importFiles(const QStringList& paths) {
    ImportReport report;
    if (isEditing()) {
        report.failure = tr("A reminder is being edited: save or cancel it, then import again.");
        return report;
    }
    report = nudgewell::importFiles(paths, m_session, m_patterns.order,
                                    regionalDateOrder(m_services.clock.locale()));
    if (report.added > 0)
        BuildAllView();
    return report;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!isEditing() && !importableFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QStringList files = importableFiles(event->mimeData());
    if (files.isEmpty() || isEditing())
        return;
    event->acceptProposedAction();
    const ImportReport report = importFiles(files);
    QStringList lines{report.summary()};
    if (!report.failure.isEmpty())
        lines << report.failure;
    lines << report.problems.mid(0, kProblemsShown);
    if (report.problems.size() > kProblemsShown)
        lines << tr("and %1 more").arg(report.problems.size() - kProblemsShown);
    m_services.messages.showMessage(this, QStringLiteral("Nudgewell"), lines.join(u'\n'),
                                    report.exitStatus() != 0 || report.skipped > 0
                                        ? MessageBoxes::Icon::Warning
                                        : MessageBoxes::Icon::None);
    focusView();
}

} // namespace nudgewell
