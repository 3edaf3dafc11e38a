#include "windowhost.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>

#include "compare/compdoc.h"
#include "platform/progresspanel.h"
#include "platform/statusmessage.h"
#include "platform/view.h"
#include "viewdoc.h"

CWindowHost::CWindowHost(CCompSettings& settings, const CSnapshotStore& store, CBackgroundWork::Thread thread)
    : m_work(thread), m_area(new QMdiArea(this)), m_progress(new CProgressPanel(m_work, this)),
      m_message(new CStatusMessage(this)), m_templates(settings, store, [this] { return this; }) {
    setCentralWidget(m_area);
    statusBar()->addPermanentWidget(m_progress);
    m_work.ReportTo(*this, this);
    m_templates.SetMdiArea(m_area);
    connect(m_area, &QMdiArea::subWindowActivated, this, &CWindowHost::OnActiveWindowChanged);
    m_actions.AddAccelerators();
    connect(qApp, &QApplication::focusChanged, this, [this] { m_actions.Update(); });
    OnActiveWindowChanged();
}

// The documents go with their windows, before the templates that made them.
CWindowHost::~CWindowHost() {
    m_work.StopAndWait();
    disconnect(qApp, nullptr, this, nullptr);
    m_area->disconnect(this);
    m_area->closeAllSubWindows();
}

void CWindowHost::OnActiveWindowChanged() {
    QMdiSubWindow* active = m_area->activeSubWindow();
    auto* view = active != nullptr ? qobject_cast<CView*>(active->widget()) : nullptr;
    m_title.Follow(view != nullptr ? &view->GetDocument() : nullptr);
    m_actions.Update();
}

CCommandRouter::Route CWindowHost::Route() const {
    QMdiSubWindow* active = m_area->activeSubWindow();
    auto* view = active != nullptr ? qobject_cast<CView*>(active->widget()) : nullptr;
    return {view, view != nullptr ? &view->GetDocument() : nullptr};
}

CCompDoc* CWindowHost::OpenCompare(const std::string& target1, const std::string& target2) {
    return CCompDoc::Open(m_templates.Comp(), {target1, target2});
}

CViewDoc* CWindowHost::OpenViewer(const std::string& target) {
    return CViewDoc::Open(m_templates.View(), target);
}

void CWindowHost::SetStatusText(const QString& text) {
    m_message->SetMessage(text);
}

QString CWindowHost::StatusText() const {
    return m_message->text();
}
