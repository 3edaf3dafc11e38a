#include "mainframe.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSizeGrip>
#include <QStatusBar>
#include <QToolBar>

#include "browser/browser.h"
#include "browser/comparebar.h"
#include "compare/defaultsettingsdlg.h"
#include "panes/filepane.h"
#include "platform/doctemplate.h"
#include "platform/lockkeys.h"
#include "platform/progresspanel.h"
#include "platform/resourcetext.h"
#include "platform/settingsprofile.h"
#include "platform/statusmessage.h"
#include "platform/view.h"
#include "res/resource.h"
#include "snapshots/snapshotmanager.h"
#include "userguide.h"
#include "views/differencespane.h"

namespace {

const CommandEntry<CMainFrame> kCommands[] = {
    {Res::kCompare, &CMainFrame::OnCompare, &CMainFrame::OnUpdateCompare},
    {Res::kSelectTarget1, &CMainFrame::OnSelectTarget1, &CMainFrame::OnUpdateAnyPane},
    {Res::kSelectTarget2, &CMainFrame::OnSelectTarget2, &CMainFrame::OnUpdateAnyPane},
    {Res::kRename, &CMainFrame::OnRename, &CMainFrame::OnUpdateBrowser},
    {Res::kDelete, &CMainFrame::OnDelete, &CMainFrame::OnUpdateDelete},
    {Res::kView, &CMainFrame::OnView, &CMainFrame::OnUpdateAnyPane},
    {Res::kShellExecute, &CMainFrame::OnShellExecute, &CMainFrame::OnUpdateAnyPane},
    {Res::kSnapshot, &CMainFrame::OnSnapshot, &CMainFrame::OnUpdateSnapshot},
    {Res::kDescription, &CMainFrame::OnDescription, &CMainFrame::OnUpdateSnapshotManager},
    {Res::kDefaultSettings, &CMainFrame::OnDefaultSettings},
    {Res::kHelpContents, &CMainFrame::OnHelpContents},
    {Res::kWebPage, &CMainFrame::OnWebPage},
    {Res::kBrowser1, &CMainFrame::OnToggleBrowser1, &CMainFrame::OnUpdateBrowser1},
    {Res::kBrowser2, &CMainFrame::OnToggleBrowser2, &CMainFrame::OnUpdateBrowser2},
    {Res::kSnapshotManager, &CMainFrame::OnToggleSnapshotManager, &CMainFrame::OnUpdateSnapshotManagerShown},
    {Res::kDifferencesList, &CMainFrame::OnToggleDifferences, &CMainFrame::OnUpdateDifferencesShown},
    {Res::kFileClose, &CMainFrame::OnFileClose, &CMainFrame::OnUpdateHasWindow},
    {Res::kAppExit, &CMainFrame::OnAppExit},
    {Res::kWindowCascade, &CMainFrame::OnWindowCascade, &CMainFrame::OnUpdateHasWindow},
    {Res::kWindowTile, &CMainFrame::OnWindowTile, &CMainFrame::OnUpdateHasWindow},
    {Res::kWindowArrange, &CMainFrame::OnWindowArrange, &CMainFrame::OnUpdateHasWindow},
    {Res::kNextPane, &CMainFrame::OnNextPane},
    {Res::kPrevPane, &CMainFrame::OnPrevPane},
};

constexpr int kCheckable[] = {Res::kViewAnsi, Res::kBrowser1, Res::kBrowser2, Res::kSnapshotManager,
                              Res::kDifferencesList};

QLabel* Indicator(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 8);
    return label;
}

} // namespace

CMainFrame::CMainFrame(CCompSettings& settings, CSnapshotStore& store, CDocTemplate& viewTemplate,
                       CDocTemplate& compTemplate, CCommandTarget* application)
    : m_settings(settings), m_viewTemplate(viewTemplate), m_compTemplate(compTemplate),
      m_application(application), m_area(new QMdiArea(this)), m_actions(this, [this] { return Route(); }),
      m_openUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(ResourceText(Res::kAppTitle));
    setCentralWidget(m_area);
    m_viewTemplate.SetMdiArea(m_area);
    m_compTemplate.SetMdiArea(m_area);
    menuBar()->setObjectName(QString::number(Res::kMenuBar));
    CreateStatusBar();
    m_snapshotManager = new DCSnapshotManager(store, viewTemplate, this);
    m_differences = new DCDifferencesPane(this);
    m_browser2 = new DCBrowser(1, viewTemplate, this);
    m_browser1 = new DCBrowser(0, viewTemplate, this);
    m_compareBar = new DCCompareBar(store, compTemplate, this);
    m_snapshotManager->SetTargetSlots(m_compareBar);
    m_work.ReportTo(*this, this);
    connect(&m_work, &CBackgroundWork::BusyChanged, this, [this](bool busy) {
        m_compareBar->SetCompareEnabled(!busy);
        m_actions.Update();
    });
    for (DCBrowser* browser : {m_browser1, m_browser2}) {
        browser->SetTargetSlots(m_compareBar);
        browser->SetSnapshotter([this](const std::string& path) { m_snapshotManager->AddSnapshot(path); });
        browser->SetStatusReporter([this](const QString& text) { SetStatusText(text); });
    }
    m_standard = new QToolBar(QStringLiteral("Standard"), this);
    m_standard->setObjectName(QString::number(Res::kStandardToolbar));
    m_standard->setIconSize(QSize(16, 16));
    m_actions.FillToolBar(m_standard, Res::kMainFrame);
    for (const int id : kCheckable) {
        m_actions.Action(id)->setCheckable(true);
    }
    m_actions.AddAccelerators();
    DockBars();
    connect(m_area, &QMdiArea::subWindowActivated, this, &CMainFrame::OnActiveWindowChanged);
    connect(qApp, &QApplication::focusChanged, this, [this] { m_actions.Update(); });
    qApp->installEventFilter(this);
    OnActiveWindowChanged();
}

// The actions go before the window's children: nothing may update them once teardown starts.
CMainFrame::~CMainFrame() {
    qApp->removeEventFilter(this);
    disconnect(qApp, nullptr, this, nullptr);
    m_area->disconnect(this);
}

void CMainFrame::CreateStatusBar() {
    statusBar()->setObjectName(QString::number(Res::kStatusBar));
    m_logo = new QLabel(QStringLiteral("Orvane Lab"), this);
    m_logo->setObjectName(QString::number(Res::kLogoIndicator));
    m_logo->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_logo->setFixedWidth(m_logo->sizeHint().width() + 2);
    statusBar()->addWidget(m_logo);
    m_message = new CStatusMessage(this);
    m_caps = Indicator(QStringLiteral("CAP"), this);
    m_num = Indicator(QStringLiteral("NUM"), this);
    m_scroll = Indicator(QStringLiteral("SCRL"), this);
    m_progress = new CProgressPanel(m_work, this);
    statusBar()->addPermanentWidget(m_progress);
    for (QLabel* indicator : {m_caps, m_num, m_scroll}) {
        statusBar()->addPermanentWidget(indicator);
    }
    RefreshLockIndicators();
    if (auto* grip = statusBar()->findChild<QSizeGrip*>()) {
        grip->setAccessibleName(QStringLiteral("Resize the window"));
    }
    m_logo->setAccessibleName(QStringLiteral("Orvane Lab"));
}

void CMainFrame::DockBars() {
    for (DCFilePane* pane : std::initializer_list<DCFilePane*>{m_browser1, m_browser2, m_snapshotManager}) {
        pane->setAllowedAreas(Qt::AllDockWidgetAreas);
    }
    addToolBar(Qt::BottomToolBarArea, m_compareBar);
    addToolBar(Qt::TopToolBarArea, m_standard);
    addDockWidget(Qt::BottomDockWidgetArea, m_browser1);
    splitDockWidget(m_browser1, m_browser2, Qt::Horizontal);
    addDockWidget(Qt::BottomDockWidgetArea, m_snapshotManager, Qt::Vertical);
    resizeDocks({m_browser1, m_browser2}, {400, 400}, Qt::Horizontal);
    resizeDocks({m_browser1, m_snapshotManager}, {150, 150}, Qt::Vertical);
    // Beside the document windows, whose rows it follows; shown when asked for.
    m_differences->setAllowedAreas(Qt::AllDockWidgetAreas);
    addDockWidget(Qt::RightDockWidgetArea, m_differences);
    m_differences->hide();
}

void CMainFrame::RestoreAndShow() {
    CSettingsProfile profile;
    const bool restored = restoreState(profile.Settings().value(kBarStateKey).toByteArray());
    const QByteArray placement = profile.Settings().value(kPlacementKey).toByteArray();
    if (placement.isEmpty() || !restoreGeometry(placement)) {
        resize(1000, 720);
    }

    // A window closed minimised comes back in its normal size.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    // The document area, not a pane, holds the focus at start.
    m_area->setFocus();
    show();
    if (!restored) {
        // The first start: the browsers and the document area share the height, with room for a
        // screenful of files; the snapshot manager below them.
        const int height = this->height();
        resizeDocks({m_browser1, m_snapshotManager}, {height / 3, height / 7}, Qt::Vertical);
    }
    repaint();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // Work in progress is given up as if stopped, before the windows it was for go.
    m_work.StopAndWait();
    // A minimised window is kept as shown normally.
    if (windowState() & Qt::WindowMinimized) {
        setWindowState(Qt::WindowNoState);
    }
    CSettingsProfile profile;
    profile.Settings().setValue(kBarStateKey, saveState());
    profile.Settings().setValue(kPlacementKey, saveGeometry());
    profile.Settings().sync();
    m_area->closeAllSubWindows();
    QMainWindow::closeEvent(event);
}

CView* CMainFrame::ActiveView() const {
    QMdiSubWindow* active = m_area->activeSubWindow();
    return active != nullptr ? qobject_cast<CView*>(active->widget()) : nullptr;
}

CDocument* CMainFrame::ActiveDocument() const {
    CView* view = ActiveView();
    return view != nullptr ? &view->GetDocument() : nullptr;
}

CCommandRouter::Route CMainFrame::Route() const {
    CView* view = ActiveView();
    return {view, view != nullptr ? &view->GetDocument() : nullptr, const_cast<CMainFrame*>(this),
            m_application};
}

int CMainFrame::MenuFor(const CDocument& document) const {
    for (const CDocTemplate* docTemplate : {&m_compTemplate, &m_viewTemplate}) {
        const std::vector<CDocument*> documents = docTemplate->GetDocuments();
        if (std::find(documents.begin(), documents.end(), &document) != documents.end()) {
            return docTemplate->GetResourceId();
        }
    }
    return Res::kMainFrame;
}

void CMainFrame::OnActiveWindowChanged() {
    CDocument* document = ActiveDocument();
    const int menu = document == nullptr ? Res::kMainFrame : MenuFor(*document);
    if (menu != m_menuId) {
        m_menuId = menu;
        m_actions.FillMenuBar(menuBar(), menu, [this](QMenu* windows) { FillWindowList(windows); });
    }
    m_title.Follow(document);
    m_differences->Follow(ActiveView());
    m_actions.Update();
}

void CMainFrame::FillWindowList(QMenu* menu) {
    for (QAction* action : menu->actions()) {
        if (action->property("windowList").toBool()) {
            menu->removeAction(action);
            action->deleteLater();
        }
    }
    const QList<QMdiSubWindow*> windows = m_area->subWindowList();
    for (qsizetype i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* window = windows[i];
        QAction* action = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(window->windowTitle()));
        action->setProperty("windowList", true);
        action->setCheckable(true);
        action->setChecked(window == m_area->activeSubWindow());
        connect(action, &QAction::triggered, m_area, [this, window] { m_area->setActiveSubWindow(window); });
    }
}

bool CMainFrame::OnCommand(int id) {
    return DispatchCommand<CMainFrame>(*this, kCommands, id);
}

bool CMainFrame::OnUpdateCommand(int id, CommandState& state) {
    return DispatchUpdate<CMainFrame>(*this, kCommands, id, state);
}

DCFilePane* CMainFrame::ActivePane(PaneKind kind) const {
    if (kind != PaneKind::SnapshotManager) {
        for (DCBrowser* browser : {m_browser1, m_browser2}) {
            if (browser->IsActive()) {
                return browser;
            }
        }
    }
    if (kind != PaneKind::Browser && m_snapshotManager->IsActive()) {
        return m_snapshotManager;
    }
    return nullptr;
}

void CMainFrame::RouteToActivePane(PaneKind kind, const std::function<void(DCFilePane&)>& operation) {
    if (DCFilePane* pane = ActivePane(kind)) {
        operation(*pane);
    }
}

void CMainFrame::OnCompare() {
    m_compareBar->StartCompare();
}
void CMainFrame::OnSelectTarget1() {
    RouteToActivePane(PaneKind::Any, [](DCFilePane& pane) { pane.SelectAsTarget(1); });
}
void CMainFrame::OnSelectTarget2() {
    RouteToActivePane(PaneKind::Any, [](DCFilePane& pane) { pane.SelectAsTarget(2); });
}
void CMainFrame::OnRename() {
    RouteToActivePane(PaneKind::Browser, [](DCFilePane& pane) { pane.RenameSelected(); });
}
void CMainFrame::OnDelete() {
    RouteToActivePane(PaneKind::Any, [](DCFilePane& pane) { pane.DeleteSelected(); });
}
void CMainFrame::OnView() {
    RouteToActivePane(PaneKind::Any, [](DCFilePane& pane) { pane.ViewSelected(); });
}
void CMainFrame::OnShellExecute() {
    RouteToActivePane(PaneKind::Any, [](DCFilePane& pane) { pane.ExecuteSelected(); });
}
void CMainFrame::OnSnapshot() {
    RouteToActivePane(PaneKind::Browser, [](DCFilePane& pane) { pane.SnapshotSelected(); });
}
void CMainFrame::OnDescription() {
    RouteToActivePane(PaneKind::SnapshotManager, [](DCFilePane& pane) { pane.EditDescription(); });
}

void CMainFrame::OnUpdateAnyPane(CommandState& state) {
    state.enabled = ActivePane(PaneKind::Any) != nullptr;
}
void CMainFrame::OnUpdateBrowser(CommandState& state) {
    state.enabled = ActivePane(PaneKind::Browser) != nullptr;
}
void CMainFrame::OnUpdateDelete(CommandState& state) {
    const DCFilePane* pane = ActivePane(PaneKind::Any);
    state.enabled = pane != nullptr && pane->CanChange();
}
// A snapshot goes to the snapshot manager, which may be read-only.
void CMainFrame::OnUpdateSnapshot(CommandState& state) {
    state.enabled = ActivePane(PaneKind::Browser) != nullptr && m_snapshotManager->CanChange();
}
void CMainFrame::OnUpdateSnapshotManager(CommandState& state) {
    state.enabled = ActivePane(PaneKind::SnapshotManager) != nullptr && m_snapshotManager->CanChange();
}

void CMainFrame::OnDefaultSettings() {
    CDefaultSettingsDlg dialog(m_settings, this);
    dialog.exec();
}

void CMainFrame::OnHelpContents() {
    // The help file goes by its bare name, as the desktop finds it in the current folder; without
    // one, the guide that goes with the program.
    const QString help = QDir::current().absoluteFilePath(QStringLiteral("Dyadmon.chm"));
    if (QFileInfo::exists(help)) {
        if (!m_openUrl(QUrl::fromLocalFile(help))) {
            SetStatusText(QStringLiteral("No application could open the help file ") + help +
                          QLatin1Char('.'));
        }
        return;
    }
    QString error;
    const QString guide = CUserGuide::Find(error);
    if (guide.isEmpty()) {
        SetStatusText(error);
    } else if (!m_openUrl(QUrl::fromLocalFile(guide))) {
        SetStatusText(QStringLiteral("No application could open the user guide ") + guide + QLatin1Char('.'));
    }
}

void CMainFrame::OnWebPage() {
    if (!m_openUrl(QUrl(QString::fromLatin1(kWebAddress)))) {
        SetStatusText(QStringLiteral("No application could open the web page ") +
                      QString::fromLatin1(kWebAddress) + QLatin1Char('.'));
    }
}

void CMainFrame::OnToggleBrowser1() {
    m_browser1->setVisible(!m_browser1->isVisible());
}
void CMainFrame::OnToggleBrowser2() {
    m_browser2->setVisible(!m_browser2->isVisible());
}
void CMainFrame::OnToggleSnapshotManager() {
    m_snapshotManager->setVisible(!m_snapshotManager->isVisible());
}
void CMainFrame::OnToggleDifferences() {
    m_differences->setVisible(m_differences->isHidden());
    // Beside the document windows it gets room for its columns, which a first show does not give.
    const Qt::DockWidgetArea area = dockWidgetArea(m_differences);
    if (!m_differences->isHidden() && !m_differences->isFloating() &&
        (area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea) &&
        m_differences->width() < m_differences->PreferredWidth()) {
        resizeDocks({m_differences}, {m_differences->PreferredWidth()}, Qt::Horizontal);
    }
}
void CMainFrame::OnUpdateDifferencesShown(CommandState& state) {
    state.checked = !m_differences->isHidden();
}
void CMainFrame::OnUpdateBrowser1(CommandState& state) {
    state.checked = !m_browser1->isHidden();
}
void CMainFrame::OnUpdateBrowser2(CommandState& state) {
    state.checked = !m_browser2->isHidden();
}
void CMainFrame::OnUpdateSnapshotManagerShown(CommandState& state) {
    state.checked = !m_snapshotManager->isHidden();
}

void CMainFrame::OnFileClose() {
    m_area->closeActiveSubWindow();
}
void CMainFrame::OnAppExit() {
    close();
}
void CMainFrame::OnWindowCascade() {
    m_area->cascadeSubWindows();
}
void CMainFrame::OnWindowTile() {
    m_area->tileSubWindows();
}

void CMainFrame::OnNextPane() {
    MovePaneFocus(1);
}

void CMainFrame::OnPrevPane() {
    MovePaneFocus(-1);
}

// F6 and Shift+F6 go round the document area and the panes on screen, as in other desktop programs.
void CMainFrame::MovePaneFocus(int step) {
    // Each place with the control that takes the focus there.
    std::vector<std::pair<QWidget*, QWidget*>> places;
    if (QMdiSubWindow* active = m_area->activeSubWindow(); active != nullptr && active->widget() != nullptr) {
        places.emplace_back(active, active->widget());
    }
    for (DCFilePane* pane : std::initializer_list<DCFilePane*>{m_browser1, m_browser2, m_snapshotManager}) {
        if (pane->isVisible()) {
            places.emplace_back(pane, pane->MainControl());
        }
    }
    if (m_differences->isVisible()) {
        places.emplace_back(m_differences, m_differences->MainControl());
    }
    if (places.empty()) {
        return;
    }
    const QWidget* focus = QApplication::focusWidget();
    const auto here = std::find_if(places.begin(), places.end(), [focus](const auto& place) {
        return focus != nullptr && (place.first == focus || place.first->isAncestorOf(focus));
    });
    const int count = static_cast<int>(places.size());
    const int next = here == places.end() ? (step > 0 ? 0 : count - 1)
                                          : (static_cast<int>(here - places.begin()) + step + count) % count;
    places[static_cast<std::size_t>(next)].second->setFocus(Qt::ShortcutFocusReason);
}

void CMainFrame::OnWindowArrange() {
    // Minimised windows in a row along the bottom of the area, left to right.
    int x = 0;
    const int bottom = m_area->viewport()->height();
    for (QMdiSubWindow* window : m_area->subWindowList()) {
        if (window->isMinimized()) {
            window->move(x, bottom - window->height());
            x += window->width();
        }
    }
}

void CMainFrame::OnUpdateCompare(CommandState& state) {
    state.enabled = !m_work.IsBusy();
}

void CMainFrame::OnUpdateHasWindow(CommandState& state) {
    state.enabled = !m_area->subWindowList().isEmpty();
}

void CMainFrame::SetStatusText(const QString& text) {
    m_message->SetMessage(text);
}

QString CMainFrame::StatusText() const {
    return m_message->text();
}

bool CMainFrame::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        RefreshLockIndicators();
    }
    return QMainWindow::event(event);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock) {
            RefreshLockIndicators();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::RefreshLockIndicators() {
    const CLockKeys::State locks = CLockKeys::Read();
    // Like a keyboard's lights: the text shows while the lock is on.
    // A screen reader reads the state whether the text shows or not.
    const auto show = [](QLabel* indicator, bool on, const QString& text, const QString& key) {
        indicator->setText(on ? text : QString());
        indicator->setAccessibleName(key + (on ? QStringLiteral(" on") : QStringLiteral(" off")));
    };
    show(m_caps, locks.caps, QStringLiteral("CAP"), QStringLiteral("Caps Lock"));
    show(m_num, locks.num, QStringLiteral("NUM"), QStringLiteral("Num Lock"));
    show(m_scroll, locks.scroll, QStringLiteral("SCRL"), QStringLiteral("Scroll Lock"));
}
