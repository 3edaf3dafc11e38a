#pragma once

#include <functional>
#include <memory>
#include <string>

#include "panes/filepane.h"

class CDocTemplate;
class CTargetSlots;
class DCFolderCombo;
class DCLocationEdit;
class DCShellItem;
class DCShellList;
class CFolderWatcher;
class QTimer;
class QToolButton;

// A file browser pane, "Browser 1" or "Browser 2": the folder box, the up button and the file list of
// the folder it shows. A single click on a file puts it into the pane's own compare slot; the pane
// carries out what its list asks (going to a folder, viewing, targeting, snapshots) and what the main
// window routes to it. It watches the shown folder and shows it again when it changes.
class DCBrowser : public DCFilePane {
    Q_OBJECT

public:
    // Takes a snapshot of a file (the snapshot manager's AddSnapshot).
    using Snapshotter = std::function<void(const std::string& path)>;
    // Says something in the status bar.
    using StatusReporter = std::function<void(const QString& text)>;

    // `index` 0 is "Browser 1" (slot 1), 1 is "Browser 2" (slot 2). The template outlives the pane.
    DCBrowser(int index, CDocTemplate& viewTemplate, QWidget* parent = nullptr);
    ~DCBrowser() override;

    void SetTargetSlots(CTargetSlots* targetSlots) { m_pTargetSlots = targetSlots; }
    void SetSnapshotter(Snapshotter snapshotter) { m_snapshot = std::move(snapshotter); }
    void SetStatusReporter(StatusReporter reporter) { m_report = std::move(reporter); }

    // Shows `folder` when it is a folder that can be listed; otherwise stays and says why.
    void GoFolder(const DCShellItem& folder);
    void GoUp();
    void Refresh();
    const DCShellItem& CurrentFolder() const { return *m_pCurFolder; }
    DCShellList& List() const { return *m_wndList; }
    QWidget* MainControl() const override;
    DCFolderCombo& Folders() const { return *m_wndFolders; }

    void SelectAsTarget(int slot) override;
    void RenameSelected() override;
    void DeleteSelected() override;
    void ViewSelected() override;
    void ExecuteSelected() override;
    void SnapshotSelected() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Layout();
    void Watch();
    void OnFolderChanged();
    void SetTarget(int slot, const DCShellItem& item);
    // Ctrl+L, or a character typed into the folder box: a path is typed in its place.
    void TypeLocation(const QString& start, bool selected);
    void GoLocation(const QString& text);

    int m_nIndex;
    CDocTemplate& m_viewTemplate;
    CTargetSlots* m_pTargetSlots = nullptr;
    Snapshotter m_snapshot;
    StatusReporter m_report;
    std::unique_ptr<DCShellItem> m_pCurFolder;
    QWidget* m_body;
    DCShellList* m_wndList;
    DCFolderCombo* m_wndFolders;
    QToolButton* m_btnUp;
    DCLocationEdit* m_location;
    CFolderWatcher* m_watcher;
    QTimer* m_changed;
};
