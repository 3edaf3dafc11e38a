#include "differencelistmodel.h"

#include <algorithm>
#include <limits>

#include "compare/core/compareresult.h"
#include "compare/core/differenceline.h"

CDifferenceListModel::CDifferenceListModel(QObject* parent) : QAbstractTableModel(parent) {}

CDifferenceListModel::~CDifferenceListModel() = default;

void CDifferenceListModel::SetResult(std::shared_ptr<const CCompareResult> result) {
    if (result == m_result) {
        return;
    }
    beginResetModel();
    m_result = std::move(result);
    m_index = m_result ? CDifferenceIndex(m_result->Lines().Blocks()) : CDifferenceIndex();
    endResetModel();
}

int CDifferenceListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid()
               ? 0
               : static_cast<int>(std::min<std::uint64_t>(m_index.Count(), std::numeric_limits<int>::max()));
}

int CDifferenceListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : CDifferenceLine::kColumns;
}

std::size_t CDifferenceListModel::BlockOfRow(int row) const {
    return m_index.BlockOf(m_result->Lines().Blocks(), static_cast<std::uint64_t>(row));
}

QVariant CDifferenceListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::AlignVCenter | (index.column() == 0 ? Qt::AlignLeft : Qt::AlignRight));
    }
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) {
        return {};
    }
    const CDifferenceLine line(m_result->Lines().Blocks()[BlockOfRow(index.row())]);
    return QString::fromStdString(line.Field(index.column(), CDifferenceLine::Style::Shown));
}

QVariant CDifferenceListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= CDifferenceLine::kColumns) {
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        return QString::fromLatin1(CDifferenceLine::kColumnNames[section]);
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::AlignVCenter | (section == 0 ? Qt::AlignLeft : Qt::AlignRight));
    }
    return {};
}

namespace {

QString Header() {
    return QString::fromStdString(CDifferenceLine::Header()) + QLatin1Char('\n');
}

QString Line(const CompBlock& block) {
    return QString::fromStdString(CDifferenceLine(block).Text(CDifferenceLine::Style::Shown)) +
           QLatin1Char('\n');
}

} // namespace

QString CDifferenceListModel::Text(const QList<int>& rows) const {
    QString text = Header();
    for (const int row : rows) {
        if (row >= 0 && row < rowCount()) {
            text += Line(m_result->Lines().Blocks()[BlockOfRow(row)]);
        }
    }
    return text;
}

QString CDifferenceListModel::AllText() const {
    QString text = Header();
    if (m_result) {
        for (const CompBlock& block : m_result->Lines().Blocks()) {
            if (CDifferenceLine::IsDifference(block)) {
                text += Line(block);
            }
        }
    }
    return text;
}
