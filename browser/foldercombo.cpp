#include "foldercombo.h"

#include <QApplication>
#include <QIcon>
#include <QListView>
#include <QStyle>
#include <QStyledItemDelegate>

#include "browser/core/folderboxrows.h"
#include "platform/bytestext.h"

namespace {

constexpr int kDepthRole = Qt::UserRole + 1;

// Rows of the open box stand in by their depth.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem indented = option;
        indented.rect.setLeft(option.rect.left() + index.data(kDepthRole).toInt() * DCFolderCombo::kIndent);
        QStyledItemDelegate::paint(painter, indented, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QSize size = QStyledItemDelegate::sizeHint(option, index);
        return {size.width() + index.data(kDepthRole).toInt() * DCFolderCombo::kIndent, size.height()};
    }
};

QIcon IconFor(const DCShellItem& item) {
    QStyle* style = QApplication::style();
    if (item.IsDesktop()) {
        return QIcon::fromTheme(QStringLiteral("user-desktop"), style->standardIcon(QStyle::SP_DesktopIcon));
    }
    if (item.IsComputer()) {
        return QIcon::fromTheme(QStringLiteral("computer"), style->standardIcon(QStyle::SP_ComputerIcon));
    }
    if (item.IsNetwork()) {
        return QIcon::fromTheme(QStringLiteral("network-workgroup"),
                                style->standardIcon(QStyle::SP_DriveNetIcon));
    }
    if (item.GetCount() == 2 && item.CommonPrefixCount(DCShellItem(DCShellItem::kComputerName)) == 1) {
        const bool removable = item.Attributes(DCShellItem::AttrRemovable) != 0;
        return QIcon::fromTheme(removable ? QStringLiteral("drive-removable-media")
                                          : QStringLiteral("drive-harddisk"),
                                style->standardIcon(QStyle::SP_DriveHDIcon));
    }
    return QIcon::fromTheme(QStringLiteral("folder"), style->standardIcon(QStyle::SP_DirIcon));
}

} // namespace

DCFolderCombo::DCFolderCombo(QWidget* parent) : QComboBox(parent) {
    setObjectName(QStringLiteral("101"));
    setAccessibleName(QStringLiteral("Folder"));
    setEditable(false);
    setItemDelegate(new IndentDelegate(this));
    // About 200 pixels of rows when open.
    setMaxVisibleItems(10);
    connect(this, &QComboBox::activated, this, [this](int row) {
        if (const DCShellItem* item = ItemAt(row)) {
            emit FolderChosen(*item);
        }
    });
}

DCFolderCombo::~DCFolderCombo() = default;

void DCFolderCombo::SetFolder(const DCShellItem& folder) {
    int selected = -1;
    std::vector<CFolderBoxRows::Row> rows = CFolderBoxRows::Build(folder, selected);
    const QSignalBlocker blocker(this);
    clear();
    m_items.clear();
    m_depths.clear();
    for (CFolderBoxRows::Row& row : rows) {
        const std::string name = row.item->GetDisplayName();
        addItem(IconFor(*row.item), BytesText(name));
        setItemData(count() - 1, row.depth, kDepthRole);
        m_depths.push_back(row.depth);
        m_items.push_back(std::move(row.item));
    }
    setCurrentIndex(selected);
}

const DCShellItem* DCFolderCombo::ItemAt(int row) const {
    return row >= 0 && row < static_cast<int>(m_items.size()) ? m_items[static_cast<std::size_t>(row)].get()
                                                              : nullptr;
}

int DCFolderCombo::DepthAt(int row) const {
    return row >= 0 && row < static_cast<int>(m_depths.size()) ? m_depths[static_cast<std::size_t>(row)] : -1;
}
