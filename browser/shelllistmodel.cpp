#include "shelllistmodel.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <numeric>
#include <sys/stat.h>
#include <unistd.h>

#include <QCollator>
#include <QFile>
#include <QMimeData>
#include <QUrl>

#include "browser/core/entryrename.h"
#include "browser/core/filehead.h"
#include "browser/core/filetexts.h"
#include "platform/bytestext.h"
#include "platform/shell/core/shellitem.h"

CShellListModel::CShellListModel(QObject* parent) : QAbstractTableModel(parent) {}

CShellListModel::~CShellListModel() = default;

bool CShellListModel::Fill(const DCShellItem& folder, QString& error) {
    std::unique_ptr<DCShellItem> enumerated = folder.Clone();
    DCShellItem::Child first = enumerated->FirstChild();
    const std::string folderPath = folder.GetPath();
    if (first.failed) {
        const int fd = folderPath.empty() ? -1 : open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const int cause = fd < 0 ? errno : 0;
        if (fd >= 0) {
            close(fd);
        }
        const QString name = BytesText(folder.GetDisplayName(DCShellItem::ForParsing));
        error =
            cause != 0 && !folderPath.empty()
                ? QStringLiteral("%1 cannot be listed: %2").arg(name, QString::fromLocal8Bit(strerror(cause)))
                : QStringLiteral("%1 cannot be listed.").arg(name);
        return false;
    }

    std::string bytes;
    std::vector<Row> rows;
    for (std::unique_ptr<DCShellItem> item = std::move(first.item); item; item = enumerated->NextChild()) {
        const std::string_view id = item->LastIdentifier();
        // A child whose identifier could not be made is its folder again.
        if (id.empty() || item->GetSize() != folder.GetSize() + id.size() ||
            bytes.size() + 2 * id.size() > UINT32_MAX) {
            continue;
        }
        Row row{};
        row.size = -1;
        row.type = -1;
        row.idOffset = static_cast<std::uint32_t>(bytes.size());
        row.idLength = static_cast<std::uint16_t>(id.size());
        bytes += id;
        const std::string_view data = id.substr(DCShellItem::kIdentifierHeader);
        row.nameOffset = row.idOffset + DCShellItem::kIdentifierHeader;
        row.nameLength = static_cast<std::uint16_t>(data.size());
        if (!folderPath.empty()) {
            // An entry of a file-system folder is looked at when it is shown or sorted: a stat per
            // entry would cost more than the whole listing.
            row.flags = kFileSystem;
            rows.push_back(row);
            continue;
        }
        // Few rows: the desktop's, Computer's and Network's.
        const std::string display = item->GetDisplayName();
        if (display != data && display.size() <= 0xFFFF) {
            row.nameOffset = static_cast<std::uint32_t>(bytes.size());
            row.nameLength = static_cast<std::uint16_t>(display.size());
            bytes += display;
        }
        const std::uint32_t asked =
            DCShellItem::AttrFileSystem | DCShellItem::AttrFolder | DCShellItem::AttrLink;
        const std::uint32_t attributes = item->Attributes(asked);
        if (!(attributes & DCShellItem::AttrFileSystem) && !item->IsComputer() && !item->IsNetwork()) {
            bytes.resize(row.idOffset);
            continue;
        }
        row.flags = kStated | ((attributes & DCShellItem::AttrFileSystem) ? kFileSystem : 0) |
                    ((attributes & DCShellItem::AttrFolder) ? kFolder : 0) |
                    ((attributes & DCShellItem::AttrLink) ? kLink : 0);
        const std::string path = item->GetPath();
        struct stat info;
        if (!(row.flags & kFolder) && !path.empty() && stat(path.c_str(), &info) == 0 &&
            !S_ISDIR(info.st_mode)) {
            row.size = static_cast<std::int64_t>(info.st_size);
            row.modified = static_cast<std::int64_t>(info.st_mtime);
            row.flags |= S_ISREG(info.st_mode) ? kRegular : 0;
        }
        if (row.flags & kFolder) {
            row.type = m_types.Folder();
        }
        if (item->IsComputer()) {
            row.type = m_types.Computer();
        } else if (item->IsNetwork()) {
            row.type = m_types.Network();
        } else if (folder.IsNetwork()) {
            row.type = m_types.NetworkVolume();
        } else if (folder.IsComputer()) {
            row.type = m_types.Volume(item->Attributes(DCShellItem::AttrRemovable) != 0);
        }
        rows.push_back(row);
    }

    beginResetModel();
    m_folder = std::move(enumerated);
    m_folderPath = folderPath;
    m_bytes = std::move(bytes);
    m_rows = std::move(rows);
    m_rows.shrink_to_fit();
    SortRows(m_sortColumn, m_sortOrder);
    endResetModel();
    return true;
}

std::unique_ptr<DCShellItem> CShellListModel::Item(int row) const {
    if (!m_folder || row < 0 || row >= rowCount()) {
        return nullptr;
    }
    const Row& entry = m_rows[static_cast<std::size_t>(row)];
    return m_folder->ChildItem(Identifier(entry));
}

std::string_view CShellListModel::Identifier(const Row& row) const {
    return std::string_view(m_bytes).substr(row.idOffset, row.idLength);
}

std::string_view CShellListModel::Name(int row) const {
    const Row& entry = m_rows[static_cast<std::size_t>(row)];
    return std::string_view(m_bytes).substr(entry.nameOffset, entry.nameLength);
}

bool CShellListModel::IsFolder(int row) const {
    return Stated(row).flags & kFolder;
}

const CShellListModel::Row& CShellListModel::Stated(int row) const {
    Row& entry = m_rows[static_cast<std::size_t>(row)];
    if (entry.flags & kStated) {
        return entry;
    }
    entry.flags |= kStated;
    std::string path = m_folderPath;
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    path += Name(row);
    struct stat info;
    bool found = lstat(path.c_str(), &info) == 0;
    if (found && S_ISLNK(info.st_mode)) {
        entry.flags |= kLink;
        found = stat(path.c_str(), &info) == 0;
    }
    if (found && S_ISDIR(info.st_mode)) {
        entry.flags |= kFolder;
        entry.type = m_types.Folder();
    } else if (found) {
        entry.size = static_cast<std::int64_t>(info.st_size);
        entry.modified = static_cast<std::int64_t>(info.st_mtime);
        if (S_ISREG(info.st_mode)) {
            entry.flags |= kRegular;
        } else {
            // A fifo or device is never opened to guess its type: its kind is its type.
            const char* kind = S_ISFIFO(info.st_mode)  ? "inode/fifo"
                               : S_ISCHR(info.st_mode) ? "inode/chardevice"
                               : S_ISBLK(info.st_mode) ? "inode/blockdevice"
                                                       : "inode/socket";
            entry.type = m_types.ByMimeName(QString::fromLatin1(kind));
        }
    }
    return entry;
}

bool CShellListModel::IsFileSystem(int row) const {
    return m_rows[static_cast<std::size_t>(row)].flags & kFileSystem;
}

bool CShellListModel::Rename(int row, const QString& name, QString& error) {
    Stated(row);
    const QString oldName = BytesText(Name(row));
    const QByteArray encoded = QFile::encodeName(name);
    const std::string_view newBytes(encoded.constData(), static_cast<std::size_t>(encoded.size()));
    const std::string refusal = CEntryRename::Refusal(newBytes);
    if (!refusal.empty()) {
        error = BytesText(refusal);
        return false;
    }
    if (newBytes == Name(row)) {
        return true;
    }
    const std::unique_ptr<DCShellItem> item = Item(row);
    if (!item || !item->CanRename()) {
        error = QStringLiteral("\"%1\" cannot be renamed: its folder cannot be changed.").arg(oldName);
        return false;
    }
    const int cause = CEntryRename::Rename(item->GetPath(), newBytes);
    if (cause == EEXIST || cause == ENOTEMPTY) {
        error =
            QStringLiteral("\"%1\" cannot be renamed: there is already an item named \"%2\" in this folder.")
                .arg(oldName, name);
        return false;
    }
    if (cause != 0) {
        error = QStringLiteral("\"%1\" cannot be renamed: %2")
                    .arg(oldName, QString::fromLocal8Bit(strerror(cause)));
        return false;
    }

    Row& entry = m_rows[static_cast<std::size_t>(row)];
    const std::string id = DCShellItem::Renamed(Identifier(entry), newBytes);
    entry.idOffset = static_cast<std::uint32_t>(m_bytes.size());
    entry.idLength = static_cast<std::uint16_t>(id.size());
    entry.nameOffset = entry.idOffset + DCShellItem::kIdentifierHeader;
    entry.nameLength = static_cast<std::uint16_t>(newBytes.size());
    m_bytes += id;
    if (!(entry.flags & kFolder)) {
        entry.type = -1;
        entry.flags &= static_cast<std::uint8_t>(~kTypeByContent);
    }
    emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
    return true;
}

int CShellListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CShellListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CShellListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const int row = index.row();
    const Row& entry = Stated(row);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        switch (index.column()) {
        case kName:
            return BytesText(Name(row));
        case kSize:
            return entry.size >= 0 ? Utf8Text(CFileTexts::Size(static_cast<std::uint64_t>(entry.size)))
                                   : QString();
        case kType:
            return m_types.Name(TypeOf(row, true));
        case kModified:
            return entry.size >= 0 ? Utf8Text(CFileTexts::Time(static_cast<std::time_t>(entry.modified)))
                                   : QString();
        default:
            return {};
        }
    case Qt::DecorationRole:
        if (index.column() == kName) {
            const int type = TypeOf(row, true);
            return (entry.flags & kLink) ? m_types.LinkIcon(type) : m_types.Icon(type);
        }
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (index.column() == kSize ? Qt::AlignRight : Qt::AlignLeft));
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        if (index.column() == kName && (entry.flags & kLink)) {
            return role == Qt::ToolTipRole ? QStringLiteral("%1 (link)").arg(BytesText(Name(row)))
                                           : QStringLiteral("Link");
        }
        return {};
    default:
        return {};
    }
}

QVariant CShellListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        switch (section) {
        case kName:
            return QStringLiteral("Name");
        case kSize:
            return QStringLiteral("Size");
        case kType:
            return QStringLiteral("Type");
        case kModified:
            return QStringLiteral("Modified");
        default:
            return {};
        }
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::AlignVCenter | (section == kSize ? Qt::AlignRight : Qt::AlignLeft));
    }
    return {};
}

Qt::ItemFlags CShellListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (IsFileSystem(index.row())) {
        flags |= Qt::ItemIsDragEnabled;
        if (index.column() == kName) {
            flags |= Qt::ItemIsEditable;
        }
    }
    return flags;
}

bool CShellListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.column() != kName) {
        return false;
    }
    const QString name = value.toString();
    // A name that is not text shows with stand-in characters; left as shown, it is left as it is.
    if (name == BytesText(Name(index.row()))) {
        return false;
    }
    QString error;
    if (!Rename(index.row(), name, error)) {
        emit RenameRefused(error);
        return false;
    }
    return true;
}

void CShellListModel::sort(int column, Qt::SortOrder order) {
    m_sortColumn = column;
    m_sortOrder = order;
    if (column < 0 || column >= kColumnCount) {
        return;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const std::vector<std::uint32_t> moved = SortRows(column, order);
    // Selections and the current row follow their rows.
    std::vector<int> newRow(moved.size());
    for (std::size_t i = 0; i < moved.size(); ++i) {
        newRow[moved[i]] = static_cast<int>(i);
    }
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& index : from) {
        const std::size_t row = static_cast<std::size_t>(index.row());
        to.append(row < newRow.size() ? this->index(newRow[row], index.column()) : index);
    }
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

std::vector<std::uint32_t> CShellListModel::SortRows(int column, Qt::SortOrder order) {
    if (column < 0 || column >= kColumnCount) {
        return {};
    }
    std::vector<std::uint32_t> rows(m_rows.size());
    std::iota(rows.begin(), rows.end(), 0u);
    const bool ascending = order == Qt::AscendingOrder;
    const auto sortBy = [&rows, ascending](auto less) {
        std::stable_sort(rows.begin(), rows.end(), [&less, ascending](std::uint32_t a, std::uint32_t b) {
            return ascending ? less(a, b) : less(b, a);
        });
    };
    // Names and types compare as the user reads them: the locale's order, whatever the case.
    QCollator collator;
    std::vector<QCollatorSortKey> keys;
    if (column == kSize || column == kModified) {
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            Stated(static_cast<int>(i));
        }
    }
    switch (column) {
    case kSize:
        // Rows without a size hold -1: before every file.
        sortBy([this](std::uint32_t a, std::uint32_t b) { return m_rows[a].size < m_rows[b].size; });
        break;
    case kModified:
        sortBy([this](std::uint32_t a, std::uint32_t b) {
            const Row& x = m_rows[a];
            const Row& y = m_rows[b];
            return (x.size < 0 ? INT64_MIN : x.modified) < (y.size < 0 ? INT64_MIN : y.modified);
        });
        break;
    case kName:
        keys.reserve(m_rows.size());
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            keys.push_back(collator.sortKey(BytesText(Name(static_cast<int>(i))).toCaseFolded()));
        }
        sortBy([&keys](std::uint32_t a, std::uint32_t b) { return keys[a].compare(keys[b]) < 0; });
        break;
    default:
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            TypeOf(static_cast<int>(i), false);
        }
        for (int type = 0; type < m_types.Count(); ++type) {
            keys.push_back(collator.sortKey(m_types.Name(type).toCaseFolded()));
        }
        sortBy([this, &keys](std::uint32_t a, std::uint32_t b) {
            return keys[static_cast<std::size_t>(m_rows[a].type)].compare(
                       keys[static_cast<std::size_t>(m_rows[b].type)]) < 0;
        });
        break;
    }
    std::vector<Row> sorted;
    sorted.reserve(m_rows.size());
    for (const std::uint32_t row : rows) {
        sorted.push_back(m_rows[row]);
    }
    m_rows.swap(sorted);
    return rows;
}

QStringList CShellListModel::mimeTypes() const {
    return {QStringLiteral("text/uri-list")};
}

QMimeData* CShellListModel::mimeData(const QModelIndexList& indexes) const {
    QList<QUrl> urls;
    std::vector<int> rows;
    for (const QModelIndex& index : indexes) {
        if (index.isValid() && IsFileSystem(index.row())) {
            rows.push_back(index.row());
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (const int row : rows) {
        const std::string path = Item(row)->GetPath();
        if (!path.empty()) {
            // From the bytes, so a name that is not text still names its file.
            const QByteArray bytes(path.data(), static_cast<qsizetype>(path.size()));
            urls.append(QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/")));
        }
    }
    if (urls.isEmpty()) {
        return nullptr;
    }
    auto* data = new QMimeData;
    data->setUrls(urls);
    return data;
}

Qt::DropActions CShellListModel::supportedDragActions() const {
    return Qt::CopyAction;
}

int CShellListModel::TypeOf(int row, bool content) const {
    Row& entry = m_rows[static_cast<std::size_t>(row)];
    Stated(row);
    if (entry.type < 0) {
        entry.type = m_types.ByName(BytesText(Name(row)));
        if (m_types.IsUnknown(entry.type) && (entry.flags & kFileSystem)) {
            entry.flags |= kTypeByContent;
        }
    }
    if (content && (entry.flags & kTypeByContent) && (entry.flags & kRegular)) {
        entry.flags &= static_cast<std::uint8_t>(~kTypeByContent);
        const std::unique_ptr<DCShellItem> item = Item(row);
        entry.type = m_types.ByContent(CFileHead::Read(item->GetPath()));
    }
    return entry.type;
}
