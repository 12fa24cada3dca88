// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <memory>

class QPainter;
class QPrinter;

namespace nudgewell {

// A print job on a page measured in twips from its top-left corner.
class Printer {
public:
    virtual ~Printer() = default;
    // Starts a job; false with the reason when there is no printer or it refuses.
    virtual bool begin(QString* error) = 0;
    // One line of text whose top is at `topTwips`; tabs advance to the next tab stop.
    virtual void printLine(double leftTwips, double topTwips, const QString& text) = 0;
    virtual bool newPage(QString* error) = 0;
    // Ends the job and hands it to the printer.
    virtual bool end(QString* error) = 0;
    // Drops the job, so that no partial printout is sent.
    virtual void abort() = 0;
};

// The system's default printer, or a PDF file when one is named.
class QtPrinter final : public Printer {
public:
    explicit QtPrinter(const QString& pdfFile = QString());
    ~QtPrinter() override;

    bool begin(QString* error) override;
    void printLine(double leftTwips, double topTwips, const QString& text) override;
    bool newPage(QString* error) override;
    bool end(QString* error) override;
    void abort() override;

private:
    double toDevice(double twips) const;

    QString m_pdfFile;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QPainter> m_painter;
};

} // namespace nudgewell
