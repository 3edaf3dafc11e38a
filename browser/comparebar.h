#pragma once

#include <string>
#include <vector>

#include <QString>
#include <QToolBar>

#include "compare/core/comparetargets.h"
#include "panes/targetslots.h"

class CDocTemplate;
class CSnapshotStore;
class QLabel;
class QMimeData;
class QPushButton;

// The two target slots: the files, or snapshots, that the next comparison compares, shown side by
// side in a thin docking bar around the "Compare!" button that starts it. The slots live for the run
// only; every way of choosing a target or starting a comparison ends here.
class DCCompareBar : public QToolBar, public CTargetSlots {
    Q_OBJECT

public:
    static constexpr int kBarHeight = 26;
    static constexpr int kFloatingWidth = 600;
    static constexpr int kButtonWidth = 100;

    // The store and the template outlive the bar.
    DCCompareBar(const CSnapshotStore& store, CDocTemplate& compTemplate, QWidget* parent = nullptr);

    // A target is a snapshot reference (see CSnapshotReference) or a file path, as the system's bytes.
    void SetTarget1(const std::string& target) override;
    void SetTarget2(const std::string& target) override;
    void ClearTargets() override;
    // Does nothing while comparing is switched off, as it is while other long work runs.
    void StartCompare();
    void SetCompareEnabled(bool enabled);

    // What StartCompare compares: each side's snapshot reference or path; empty when empty.
    CCompareTargets Targets() const { return {m_strTarget1, m_strTarget2}; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void SetTarget(const std::string& target, std::string& slot, QString& name, QLabel* label);
    void ShowName(QLabel* label, const QString& name);
    void PlaceClient();
    void LayoutChildren();
    void ApplyFixedSize();
    static std::vector<std::string> DroppedFiles(const QMimeData* data);

    const CSnapshotStore& m_store;
    CDocTemplate& m_compTemplate;
    QWidget* m_client; // the bar less its handle: the three children's parent
    QLabel* m_wndTarget1;
    QLabel* m_wndTarget2;
    QPushButton* m_btnCompare;

    std::string m_strTarget1;
    std::string m_strTarget2;
    // What the slots show: a snapshot's name, or the path as text.
    QString m_strName1;
    QString m_strName2;
};
