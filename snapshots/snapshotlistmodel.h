#pragma once

#include <QAbstractTableModel>

class CSnapshotStore;

// The snapshot list as a table over the store's records: row i is the record at position i, column 0
// its number (position + 1), then name, original path, original date, size and description. It holds
// nothing of its own, so a store of any size opens at once and only the rows shown are read.
class CSnapshotListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kColumnCount = 6;
    // The columns' widths in pixels, left to right.
    static constexpr int kWidths[kColumnCount] = {24, 200, 280, 115, 80, 280};

    explicit CSnapshotListModel(const CSnapshotStore& store, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Tell the views what changed in the store.
    void RecordAppended();
    void RecordChanged(int position);
    void RecordsChanged();

private:
    const CSnapshotStore& m_store;
};
