// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPrinterInfo>
#include <QString>

#include <functional>
#include <memory>

class QFontMetricsF;
class QPainter;
class QPrinter;

namespace nudgewell {

// A print job on a page measured in twips from the corner of its printable area.
class Printer {
public:
    virtual ~Printer() = default;
    // Starts a job; false with the reason when there is no printer or it refuses.
    virtual bool begin(QString* error) = 0;
    // The height of one line of text and of the printable area, in twips; known after begin.
    virtual double lineHeightTwips() const = 0;
    virtual double pageHeightTwips() const = 0;
    // One line of text whose top is at `topTwips`; a tab advances to a fixed column.
    virtual void printLine(double leftTwips, double topTwips, const QString& text) = 0;
    virtual bool newPage(QString* error) = 0;
    // Ends the job and hands it to the printer.
    virtual bool end(QString* error) = 0;
    // Drops the job, so that no partial printout is kept.
    virtual void abort() = 0;
};

// The system's default printer, or a PDF file when one is named.
class QtPrinter final : public Printer {
public:
    using PrinterLookup = std::function<QPrinterInfo()>;
    // `defaultPrinter` finds the printer when no file is named; tests hand in their own.
    explicit QtPrinter(const QString& pdfFile = QString(),
                       PrinterLookup defaultPrinter = &QPrinterInfo::defaultPrinter);
    ~QtPrinter() override;

    bool begin(QString* error) override;
    double lineHeightTwips() const override;
    double pageHeightTwips() const override;
    void printLine(double leftTwips, double topTwips, const QString& text) override;
    bool newPage(QString* error) override;
    bool end(QString* error) override;
    void abort() override;

private:
    double toDevice(double twips) const;
    double toTwips(double device) const;

    QString m_pdfFile;
    PrinterLookup m_defaultPrinter;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QPainter> m_painter;
    std::unique_ptr<QFontMetricsF> m_metrics;
    double m_lineHeight = 0; // device pixels
    double m_ascent = 0;     // device pixels
    double m_tabStop = 0;    // device pixels
};

} // namespace nudgewell
