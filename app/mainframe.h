#pragma once

#include <functional>

#include <QMainWindow>
#include <QUrl>

#include "platform/backgroundwork.h"
#include "platform/commandactions.h"
#include "platform/commandtarget.h"
#include "platform/documenthost.h"
#include "platform/titlefollower.h"

class CCompSettings;
class CDocTemplate;
class CDocument;
class CSnapshotStore;
class CView;
class DCBrowser;
class DCCompareBar;
class DCDifferencesPane;
class DCFilePane;
class DCSnapshotManager;
class CProgressPanel;
class CStatusMessage;
class QLabel;
class QMdiArea;
class QMdiSubWindow;

// The one main window: the document windows in its MDI area, and around them the menu bar, the
// "Standard" toolbar, the compare bar, the two browser panes, the snapshot manager, the list of
// differences and the status bar. It routes file commands to whichever pane holds the focus, and
// keeps its bar layout and placement in the profile between runs.
class CMainFrame : public QMainWindow, public CCommandTarget, public CDocumentHost {
    Q_OBJECT

public:
    static constexpr const char* kBarStateKey = "Control Bar State";
    static constexpr const char* kPlacementKey = "Main Window Placement";
    static constexpr const char* kWebAddress = "https://www.orvanelab.com/dyadmon/";
    using UrlOpener = std::function<bool(const QUrl&)>;

    // `application` is the last target on the command route. Everything given outlives the frame.
    CMainFrame(CCompSettings& settings, CSnapshotStore& store, CDocTemplate& viewTemplate,
               CDocTemplate& compTemplate, CCommandTarget* application);
    ~CMainFrame() override;

    // Restores the saved bar layout and placement, then shows the window: maximised only when it
    // was closed maximised.
    void RestoreAndShow();

    QMdiArea& MdiArea() const { return *m_area; }
    DCCompareBar& CompareBar() const { return *m_compareBar; }
    DCBrowser& Browser1() const { return *m_browser1; }
    DCBrowser& Browser2() const { return *m_browser2; }
    DCSnapshotManager& SnapshotManager() const { return *m_snapshotManager; }
    DCDifferencesPane& Differences() const { return *m_differences; }
    CCommandActions& Actions() { return m_actions; }
    // The menu resource on show: 110 without a document window, 127 for a viewer, 153 for a compare.
    int MenuId() const { return m_menuId; }
    CView* ActiveView() const;
    CDocument* ActiveDocument() const;
    CCommandRouter::Route Route() const;

    void SetStatusText(const QString& text) override;
    QString StatusText() const;
    CBackgroundWork* Work() override { return &m_work; }
    void UpdateCommands() override { m_actions.Update(); }
    CProgressPanel& ProgressPanel() const { return *m_progress; }
    // Replaces the desktop's default handler, for tests.
    void SetUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    void OnCompare();
    void OnSelectTarget1();
    void OnSelectTarget2();
    void OnRename();
    void OnDelete();
    void OnView();
    void OnShellExecute();
    void OnSnapshot();
    void OnDescription();
    void OnDefaultSettings();
    void OnHelpContents();
    void OnWebPage();
    void OnToggleBrowser1();
    void OnToggleBrowser2();
    void OnToggleSnapshotManager();
    void OnToggleDifferences();
    void OnFileClose();
    void OnAppExit();
    void OnWindowCascade();
    void OnWindowTile();
    void OnWindowArrange();
    void OnNextPane();
    void OnPrevPane();
    void MovePaneFocus(int step);

    void OnUpdateAnyPane(CommandState& state);
    void OnUpdateBrowser(CommandState& state);
    void OnUpdateDelete(CommandState& state);
    void OnUpdateSnapshot(CommandState& state);
    void OnUpdateSnapshotManager(CommandState& state);
    void OnUpdateBrowser1(CommandState& state);
    void OnUpdateBrowser2(CommandState& state);
    void OnUpdateSnapshotManagerShown(CommandState& state);
    void OnUpdateDifferencesShown(CommandState& state);
    void OnUpdateHasWindow(CommandState& state);
    void OnUpdateCompare(CommandState& state);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    enum class PaneKind { Any, Browser, SnapshotManager };

    void CreateStatusBar();
    void DockBars();
    void OnActiveWindowChanged();
    void FillWindowList(QMenu* menu);
    DCFilePane* ActivePane(PaneKind kind) const;
    void RouteToActivePane(PaneKind kind, const std::function<void(DCFilePane&)>& operation);
    // The menu of the template that made `document`.
    int MenuFor(const CDocument& document) const;
    void RefreshLockIndicators();

    CCompSettings& m_settings;
    CDocTemplate& m_viewTemplate;
    CDocTemplate& m_compTemplate;
    CCommandTarget* m_application;
    QMdiArea* m_area;
    CCommandActions m_actions;
    CBackgroundWork m_work;
    CProgressPanel* m_progress = nullptr;
    QLabel* m_logo;
    CStatusMessage* m_message;
    QLabel* m_caps;
    QLabel* m_num;
    QLabel* m_scroll;
    DCSnapshotManager* m_snapshotManager;
    DCDifferencesPane* m_differences;
    DCBrowser* m_browser2;
    DCBrowser* m_browser1;
    DCCompareBar* m_compareBar;
    QToolBar* m_standard;
    int m_menuId = 0;
    UrlOpener m_openUrl;
    CTitleFollower m_title{*this};
};
