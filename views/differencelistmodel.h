#pragma once

#include <cstddef>
#include <memory>

#include <QAbstractTableModel>

#include "compare/core/differenceindex.h"

class CCompareResult;

// The differences of one comparison as a table: a row for each block other than Same, as the rows of
// the compare view show the blocks, with its kind, its offsets in hex ("-" where it has none) and its
// length. Rows are made from the blocks when asked for, so a million differences open at once.
class CDifferenceListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit CDifferenceListModel(QObject* parent = nullptr);
    ~CDifferenceListModel() override;

    // The result to list, held until another comes; null lists nothing.
    void SetResult(std::shared_ptr<const CCompareResult> result);
    const CCompareResult* Result() const { return m_result.get(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The block of the result's rows that row `row` (< rowCount()) lists.
    std::size_t BlockOfRow(int row) const;
    // A header line, then rows `rows` (in order), or all rows, as shown: tab-separated, a line each.
    QString Text(const QList<int>& rows) const;
    QString AllText() const;

private:
    std::shared_ptr<const CCompareResult> m_result;
    CDifferenceIndex m_index;
};
