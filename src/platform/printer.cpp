// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/printer.h"

#include <QCoreApplication>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

#include <cmath>

namespace nudgewell {

namespace {

constexpr double kTwipsPerInch = 1440.0;
// The lines are plain text padded with blanks into columns, which only a fixed-pitch font
// keeps in line.
constexpr int kPointSize = 10;
// The date, weekday and frequency word take 24 characters; the text starts a little after.
constexpr int kTabColumn = 26;

QString tr(const char* text) {
    return QCoreApplication::translate("Printer", text);
}

} // namespace

QtPrinter::QtPrinter(const QString& pdfFile, PrinterLookup defaultPrinter)
    : m_pdfFile(pdfFile), m_defaultPrinter(std::move(defaultPrinter)) {}

QtPrinter::~QtPrinter() {
    abort();
}

bool QtPrinter::begin(QString* error) {
    abort();
    if (m_pdfFile.isEmpty()) {
        const QPrinterInfo info = m_defaultPrinter ? m_defaultPrinter() : QPrinterInfo();
        if (info.isNull()) {
            if (error)
                *error = tr("There is no default printer.");
            return false;
        }
        m_printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    } else {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setOutputFormat(QPrinter::PdfFormat);
        m_printer->setOutputFileName(m_pdfFile);
    }
    m_printer->setDocName(QCoreApplication::applicationName());
    // Positions count from the printable area, so nothing lands where the printer cannot
    // print.
    m_printer->setFullPage(false);
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(m_printer.get())) {
        if (error)
            *error = tr("The printer did not accept the job.");
        m_painter.reset();
        m_printer.reset();
        return false;
    }
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(kPointSize);
    // Sized for the printer's resolution, not the screen's.
    font = QFont(font, m_printer.get());
    m_painter->setFont(font);
    m_metrics = std::make_unique<QFontMetricsF>(font, m_printer.get());
    m_lineHeight = m_metrics->lineSpacing();
    m_ascent = m_metrics->ascent();
    m_tabStop = m_metrics->horizontalAdvance(QString(kTabColumn, u'0'));
    return true;
}

double QtPrinter::toDevice(double twips) const {
    return twips * m_printer->resolution() / kTwipsPerInch;
}

double QtPrinter::toTwips(double device) const {
    return device * kTwipsPerInch / m_printer->resolution();
}

double QtPrinter::lineHeightTwips() const {
    return m_printer ? toTwips(m_lineHeight) : 0;
}

double QtPrinter::pageHeightTwips() const {
    return m_printer ? toTwips(m_printer->height()) : 0;
}

void QtPrinter::printLine(double leftTwips, double topTwips, const QString& text) {
    if (!m_painter)
        return;
    // Each tab moves on to the next multiple of the tab column, counted from the line's left.
    const double left = toDevice(leftTwips);
    const double baseline = toDevice(topTwips) + m_ascent;
    double x = left;
    qsizetype from = 0;
    while (true) {
        const qsizetype tab = text.indexOf(u'\t', from);
        const QString part = text.mid(from, tab < 0 ? -1 : tab - from);
        if (!part.isEmpty())
            m_painter->drawText(QPointF(x, baseline), part);
        if (tab < 0)
            break;
        x += m_metrics->horizontalAdvance(part);
        x = left + (std::floor((x - left) / m_tabStop) + 1) * m_tabStop;
        from = tab + 1;
    }
}

bool QtPrinter::newPage(QString* error) {
    if (m_printer && m_painter && m_printer->newPage())
        return true;
    if (error)
        *error = tr("The printer did not take a new page.");
    return false;
}

bool QtPrinter::end(QString* error) {
    const bool ok = m_painter && m_painter->end() && m_printer->printerState() != QPrinter::Error;
    m_painter.reset();
    m_printer.reset();
    if (!ok && error)
        *error = tr("The printer did not finish the job.");
    return ok;
}

void QtPrinter::abort() {
    if (!m_printer)
        return;
    const bool started = m_painter && m_painter->isActive();
    if (started)
        m_printer->abort();
    // Qt's own engines cannot withdraw a job once begun, so the painter must still end; a
    // file is then removed, so that no partial printout stays behind.
    m_painter.reset();
    m_printer.reset();
    if (started && !m_pdfFile.isEmpty())
        QFile::remove(m_pdfFile);
}

} // namespace nudgewell
