// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/printer.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace nudgewell {

QtPrinter::QtPrinter(const QString& pdfFile) : m_pdfFile(pdfFile) {}

QtPrinter::~QtPrinter() {
    abort();
}

bool QtPrinter::begin(QString* error) {
    abort();
    if (m_pdfFile.isEmpty()) {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull()) {
            if (error)
                *error = QCoreApplication::translate("Printer", "There is no default printer.");
            return false;
        }
        m_printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    } else {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setOutputFormat(QPrinter::PdfFormat);
        m_printer->setOutputFileName(m_pdfFile);
    }
    // Positions are from the page's corner, not from the printable area's.
    m_printer->setFullPage(true);
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(m_printer.get())) {
        if (error)
            *error = QCoreApplication::translate("Printer", "The printer did not accept the job.");
        m_painter.reset();
        m_printer.reset();
        return false;
    }
    return true;
}

double QtPrinter::toDevice(double twips) const {
    return twips * m_printer->resolution() / 1440.0;
}

void QtPrinter::printLine(double leftTwips, double topTwips, const QString& text) {
    if (!m_painter)
        return;
    const QRectF area(toDevice(leftTwips), toDevice(topTwips),
                      m_printer->width() - toDevice(leftTwips), m_painter->fontMetrics().height());
    m_painter->drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs, text);
}

bool QtPrinter::newPage(QString* error) {
    if (m_printer && m_printer->newPage())
        return true;
    if (error)
        *error = QCoreApplication::translate("Printer", "The printer did not take a new page.");
    return false;
}

bool QtPrinter::end(QString* error) {
    const bool ok = m_painter && m_painter->end() && m_printer->printerState() != QPrinter::Error;
    m_painter.reset();
    m_printer.reset();
    if (!ok && error)
        *error = QCoreApplication::translate("Printer", "The printer did not finish the job.");
    return ok;
}

void QtPrinter::abort() {
    if (m_printer && m_painter && m_painter->isActive())
        m_printer->abort();
    m_painter.reset();
    m_printer.reset();
}

} // namespace nudgewell
