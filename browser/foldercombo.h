#pragma once

#include <memory>
#include <vector>

#include <QComboBox>

class DCShellItem;

// The folder box at the top of a browser pane: where the pane is, as a drop-down of the desktop, its
// children, the volumes and the chain of folders down to the shown one, each indented by its depth.
// Choosing a row asks the pane to go there.
class DCFolderCombo : public QComboBox {
    Q_OBJECT

public:
    static constexpr int kIndent = 12;

    explicit DCFolderCombo(QWidget* parent = nullptr);
    ~DCFolderCombo() override;

    // Rebuilds the rows for `folder` and selects its row.
    void SetFolder(const DCShellItem& folder);
    // The item of a row, or null.
    const DCShellItem* ItemAt(int row) const;
    int DepthAt(int row) const;

signals:
    void FolderChosen(const DCShellItem& folder);

private:
    std::vector<std::unique_ptr<DCShellItem>> m_items;
    std::vector<int> m_depths;
};
