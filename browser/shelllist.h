#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QString>

#include "platform/rowlist.h"

class CDesktopOpener;
class CShellListModel;
class DCShellItem;
class QKeyEvent;
class QMenu;

// The file list of a browser pane: the visible items of the pane's current folder with their icon,
// name, size, type and modification time. It is where the user acts on files; what needs the pane
// (going to another folder, viewing, targeting, snapshots) it asks of the pane through its signals,
// which are connected directly, so a request is handled before the signal returns.
class DCShellList : public CRowList {
    Q_OBJECT

public:
    explicit DCShellList(QWidget* parent = nullptr);
    ~DCShellList() override;

    // Shows the folder's items. False, with `error` saying why and the rows left as they were, when the
    // folder cannot be listed. Showing the folder already shown keeps the selection and the scroll
    // position where the same names are still there.
    bool SetFolder(const DCShellItem& folder, QString& error);

    // The operations the main frame routes through the pane: on the first selected row, or, for
    // Delete, on every selected row.
    void SelectAsTarget(int slot); // 0 or 1
    void RenameSelected();
    void DeleteSelected();
    void ViewSelected();
    void ExecuteSelected();
    void SnapshotSelected();

    // Whether a name is being typed into the list.
    bool IsEditing() const { return state() == QAbstractItemView::EditingState; }

    // The desktop's answer on default applications; replaced by tests.
    void SetDesktopOpener(std::unique_ptr<CDesktopOpener> opener);

    // The context menu for the rows selected now, owned by the caller; null when two or more are.
    QMenu* MakeContextMenu(QWidget* parent);

signals:
    // Go to `folder` (a copy is taken), or, with null, show the current folder again.
    void GoFolderRequested(const DCShellItem* folder);
    void GoUpRequested();
    void ViewRequested(const DCShellItem& item);
    // `slot` 0 or 1, or -1 for the pane's own slot.
    void SelectTargetRequested(int slot, const DCShellItem& item);
    void SnapshotRequested(const DCShellItem& item);
    // Files were deleted (or a delete was asked for): the pane refreshes and empties both slots.
    void DeleteFinished();
    // Something for the status bar, such as why a clicked file is no target.
    void StatusRequested(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

private:
    void RowClicked(const QModelIndex& index);
    // A folder is gone into, a file viewed.
    void OpenRow(int row);
    // Ascending.
    std::vector<int> SelectedRows() const;
    // -1 when none is selected.
    int FirstSelectedRow() const;
    // The row's name for a message.
    QString RowName(int row) const;
    // Whether the row is a file whose bytes may be read. A file-system entry that is not (a fifo, a
    // device, a dangling link) is refused with `refusal` ("cannot be viewed") and the reason, in a
    // message or, `quietly`, in the status bar; folders and shell-only rows are passed over silently.
    bool IsReadable(int row, const char* refusal, bool quietly = false);

    CShellListModel* m_model;
    std::unique_ptr<CDesktopOpener> m_opener;
};
