// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/view_lines.h"

#include <QAbstractListModel>
#include <QFont>
#include <QLocale>
#include <QSize>
#include <QStyledItemDelegate>

#include <vector>

namespace nudgewell {

// The lines of one reminder list, each with the record it was built from. A model with
// uniform rows keeps a list of 32,767 lines quick to fill.
class ReminderListModel final : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    void setLines(std::vector<ListLine> lines);
    const std::vector<ListLine>& lines() const { return m_lines; }
    int recordAt(int row) const;
    // One size for every row, wide enough for the padded text and the years.
    void setRowSize(const QSize& size) { m_rowSize = size; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<ListLine> m_lines;
    QSize m_rowSize;
};

// Draws a list line with its tabs at stops measured for the locale's weekday names and the
// list's font, so that the columns line up whatever the weekday abbreviations are.
class ReminderLineDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    ReminderLineDelegate(const QLocale& locale, QObject* parent);
    // The two tab stops, in pixels from the line's start, for a font.
    static QList<qreal> tabStops(const QFontMetricsF& metrics, const QLocale& locale);
    // The width a row needs for the widest of the lines.
    static int rowWidth(const QFontMetricsF& metrics, const QLocale& locale,
                        const std::vector<ListLine>& lines);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    QLocale m_locale;
    mutable QFont m_stopsFont;
    mutable QList<qreal> m_stops;
};

} // namespace nudgewell
