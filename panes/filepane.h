#pragma once

#include "platform/dockingpane.h"

// A docking pane that lists files or snapshots, whose commands the main frame routes to it while it
// holds the keyboard focus. The browser panes and the snapshot manager fill in the operations; one a
// pane does not offer does nothing.
class DCFilePane : public DCDockingPane {
    Q_OBJECT

public:
    using DCDockingPane::DCDockingPane;

    virtual void SelectAsTarget(int slot) { (void)slot; }
    virtual void RenameSelected() {}
    virtual void DeleteSelected() {}
    virtual void ViewSelected() {}
    virtual void ExecuteSelected() {}
    virtual void SnapshotSelected() {}
    virtual void EditDescription() {}
    // Whether the pane may change files or snapshots now (Delete, Rename, Snapshot, Edit description).
    virtual bool CanChange() const { return true; }
    // The control that takes the focus when the pane is reached by F6: its list.
    virtual QWidget* MainControl() const { return widget(); }
};
