#pragma once

#include <QDockWidget>

// A docking pane of the main window whose file commands the main frame routes to it while it holds
// the keyboard focus. The browser panes and the snapshot manager fill in the operations; a pane
// without contents yet does nothing with them.
class DCDockingPane : public QDockWidget {
    Q_OBJECT

public:
    DCDockingPane(const QString& caption, int id, QWidget* parent = nullptr);

    // Whether the keyboard focus is in this pane.
    bool IsActive() const;

    virtual void SelectAsTarget(int slot) { (void)slot; }
    virtual void RenameSelected() {}
    virtual void DeleteSelected() {}
    virtual void ViewSelected() {}
    virtual void ExecuteSelected() {}
    virtual void SnapshotSelected() {}
    virtual void EditDescription() {}
    // Whether the pane may change files or snapshots now (Delete, Rename, Snapshot, Edit description).
    virtual bool CanChange() const { return true; }

protected:
    // Puts the pane's contents in place of the placeholder it starts with.
    void SetBody(QWidget* body);

private:
    // The caption shows whether the pane holds the focus, as the active window's title does.
    void ShowActiveCaption();

    bool m_bActiveCaption = false;
};
