#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <QAbstractTableModel>

#include "filetypes.h"

class DCShellItem;

// The rows of the file list: the shown items of one folder in the folder's browsing order until the
// user sorts. A row keeps the bytes of its item's last identifier and a few numbers, never an item of
// its own, so a folder of a hundred thousand files costs little more than its names; the item of a row
// is made when it is needed. Types and icons are looked up once per kind of file and only for rows
// that are shown.
class CShellListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { kName, kSize, kType, kModified, kColumnCount };
    // Room for a long name, a size, a type such as "plain text document" and a date with its time.
    static constexpr int kWidths[kColumnCount] = {200, 100, 170, 150};

    explicit CShellListModel(QObject* parent = nullptr);
    ~CShellListModel() override;

    // Lists `folder`'s items in place of the rows shown. False, with `error` saying why and the rows
    // kept, when the folder cannot be listed.
    bool Fill(const DCShellItem& folder, QString& error);
    // Null before the first fill.
    const DCShellItem* Folder() const { return m_folder.get(); }

    // The item of a row: the folder's identifiers followed by the row's own.
    std::unique_ptr<DCShellItem> Item(int row) const;
    // The name shown, as the bytes the system gave.
    std::string_view Name(int row) const;
    bool IsFolder(int row) const;
    bool IsFileSystem(int row) const;

    // Gives the row's entry a new name in its folder, never replacing another entry. False, with
    // `error` saying why and the row unchanged, when the name is refused or the rename fails.
    bool Rename(int row, const QString& name, QString& error);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    void sort(int column, Qt::SortOrder order) override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;

signals:
    // A rename typed into the list was refused; `why` is for the user.
    void RenameRefused(const QString& why);

private:
    enum Flag : std::uint8_t {
        kFolder = 1,
        kFileSystem = 2,
        kLink = 4,
        kTypeByContent = 8, // the name says nothing of the type: the content is read when shown
        kStated = 16,       // folder, link, size and time are known
        kRegular = 32,      // a regular file (or a link to one): the only kind whose bytes are read
    };
    struct Row {
        std::int64_t size;        // -1: none shown
        std::int64_t modified;    // seconds; meaningful only with a size
        std::uint32_t idOffset;   // the identifier's bytes in m_bytes
        std::uint32_t nameOffset; // the name shown, in m_bytes (inside the identifier for entries)
        std::int32_t type;        // of m_types; -1 until looked up
        std::uint16_t idLength;
        std::uint16_t nameLength;
        std::uint8_t flags;
    };

    std::string_view Identifier(const Row& row) const;
    // The row with what a stat of its entry tells, looked at the first time it is asked for.
    const Row& Stated(int row) const;
    // The type of a row, looked up from its name (and, with `content`, its first bytes) if need be.
    int TypeOf(int row, bool content) const;
    // Puts the rows in the order of `column`, without telling the views; gives the former row of each
    // new row (nothing when `column` is none).
    std::vector<std::uint32_t> SortRows(int column, Qt::SortOrder order);

    std::unique_ptr<DCShellItem> m_folder;
    std::string m_folderPath; // empty for the desktop, Computer and Network
    std::string m_bytes;
    mutable std::vector<Row> m_rows;
    mutable CFileTypes m_types;
    int m_sortColumn = -1; // -1: the folder's order
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
