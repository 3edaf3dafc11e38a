#pragma once

#include <QPointer>

#include "platform/dockingpane.h"

class CCompView;
class CDifferenceListModel;
class CRowList;
class CView;
class QMenu;

// The "Differences" pane: the differences of the active compare window, a row each in the order of
// the comparison. A click or Enter on a row puts that block's first row at the top of the compare
// view while the focus stays in the list; Ctrl+C copies the selected rows as text, the context menu
// all of them.
class DCDifferencesPane : public DCDockingPane {
    Q_OBJECT

public:
    explicit DCDifferencesPane(QWidget* parent = nullptr);
    ~DCDifferencesPane() override;

    // Lists the results `view` shows when it is a compare view, and nothing for any other or none.
    void Follow(CView* view);
    CCompView* Followed() const;

    CRowList& List() const { return *m_list; }
    CDifferenceListModel& Model() const { return *m_model; }
    // The width that shows every column whole.
    int PreferredWidth() const;
    // The control that takes the focus when the pane is reached by F6.
    QWidget* MainControl() const;

    // The header and the selected rows, or all rows, on the clipboard as tab-separated text.
    void CopySelected();
    void CopyAll();
    // The list's popup; the caller owns it.
    QMenu* MakeContextMenu(QWidget* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The followed view's result to the list while the pane is shown; none while it is hidden, so a
    // hidden pane costs nothing.
    void Refresh();
    void ShowRow(const QModelIndex& index);

    CDifferenceListModel* m_model;
    CRowList* m_list;
    QPointer<CCompView> m_view;
    QMetaObject::Connection m_resultChanged;
    QMetaObject::Connection m_viewGone;
};
