// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/view_lines.h"

#include <QAbstractListModel>
#include <QSize>

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

} // namespace nudgewell
