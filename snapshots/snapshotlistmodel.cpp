#include "snapshotlistmodel.h"

#include "platform/bytestext.h"
#include "snapshots/core/snapshotstore.h"

namespace {

const char* const kHeadings[CSnapshotListModel::kColumnCount] = {
    "", "Snapshot name & time", "Original name", "Original date", "Size", "Description"};

} // namespace

CSnapshotListModel::CSnapshotListModel(const CSnapshotStore& store, QObject* parent)
    : QAbstractTableModel(parent), m_store(store) {}

int CSnapshotListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_store.GetCount();
}

int CSnapshotListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CSnapshotListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !m_store.IsValidPosition(index.row())) {
        return {};
    }
    const bool number = index.column() == 0 || index.column() == 4;
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::AccessibleTextRole) {
        return {};
    }
    const SnapshotRecord& record = m_store.GetAt(index.row());
    switch (index.column()) {
    case 0:
        return QString::number(index.row() + 1);
    case 1:
        return BytesText(record.snapshotName);
    case 2:
        return BytesText(record.sourcePath);
    case 3:
        return BytesText(record.sourceDate);
    case 4:
        return QString::number(record.size);
    default:
        return BytesText(record.description);
    }
}

QVariant CSnapshotListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return QString::fromLatin1(kHeadings[section]);
    }
    // The number column has no heading on screen, but a screen reader needs a name for it.
    if (role == Qt::AccessibleTextRole) {
        return section == 0 ? QStringLiteral("Number") : QString::fromLatin1(kHeadings[section]);
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (section == 0 || section == 4 ? Qt::AlignRight : Qt::AlignLeft));
    }
    return {};
}

void CSnapshotListModel::RecordAppended() {
    const int row = m_store.GetCount() - 1;
    beginInsertRows({}, row, row);
    endInsertRows();
}

void CSnapshotListModel::RecordChanged(int position) {
    emit dataChanged(index(position, 0), index(position, kColumnCount - 1));
}

void CSnapshotListModel::RecordsChanged() {
    beginResetModel();
    endResetModel();
}
