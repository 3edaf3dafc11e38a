#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "panes/filepane.h"
#include "platform/rowlist.h"

class CDesktopOpener;
class CDocTemplate;
class CSnapshotListModel;
class CSnapshotStore;
class CTargetSlots;
class QLabel;
class QMenu;

// The "Snapshot Manager" pane: every snapshot of the store as a row, in store order and never
// sorted. From here a snapshot goes to a target slot, into a viewer, or (as a private copy) to the
// desktop's program for its type; its description is edited and snapshots are deleted. Every change
// is saved to the catalogue at once, so a crash loses no snapshot. While another Dyadmon holds the
// store, the pane lists the snapshots and says so, and changes nothing.
class DCSnapshotManager : public DCFilePane {
    Q_OBJECT

public:
    // Shows the description dialog; false when it was cancelled.
    using DescriptionAsker = std::function<bool(QWidget* parent, QString& text)>;

    // The store and the template outlive the pane.
    DCSnapshotManager(CSnapshotStore& store, CDocTemplate& viewTemplate, QWidget* parent = nullptr);
    ~DCSnapshotManager() override;

    void SetTargetSlots(CTargetSlots* targetSlots) { m_pTargetSlots = targetSlots; }
    // Seams for tests: the desktop's answer, the description dialog, the temporary folder.
    void SetDesktopOpener(std::unique_ptr<CDesktopOpener> opener);
    void SetDescriptionAsker(DescriptionAsker asker) { m_askDescription = std::move(asker); }
    void SetTempFolder(std::string folder) { m_strTempFolder = std::move(folder); }

    // Takes a snapshot of the file at `path` (the system's bytes) and shows its row; false when
    // nothing was added (the user has been told why).
    bool AddSnapshot(const std::string& path);

    void SelectAsTarget(int slot) override;
    void ViewSelected() override;
    void ExecuteSelected() override;
    void EditDescription() override;
    void DeleteSelected() override;
    bool CanChange() const override;

    CRowList& List() const { return *m_list; }
    QWidget* MainControl() const override;
    // The "Snapshot" popup, its commands bound to this pane; the caller owns it.
    QMenu* MakeContextMenu(QWidget* parent);
    // The copy that ExecuteSelected made last.
    const std::string& LastCopy() const { return m_strLastCopy; }

private:
    void ShowContextMenu(const QPoint& globalPos);
    // The positions of the selected rows, lowest first.
    std::vector<int> SelectedPositions() const;
    std::optional<int> FirstSelected() const;
    void ShowReadOnly();

    CSnapshotStore& m_store;
    CDocTemplate& m_viewTemplate;
    CTargetSlots* m_pTargetSlots = nullptr;
    std::unique_ptr<CDesktopOpener> m_pOpener;
    DescriptionAsker m_askDescription;
    std::string m_strTempFolder;
    std::string m_strLastCopy;
    CSnapshotListModel* m_model;
    CRowList* m_list;
    QLabel* m_notice;
};
