#include "windowhost.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>

#include "childframe.h"
#include "compare/compdoc.h"
#include "compview.h"
#include "platform/resourcetext.h"
#include "platform/view.h"
#include "res/resource.h"
#include "viewdoc.h"
#include "viewview.h"

CWindowHost::CWindowHost(CCompSettings& settings, const CSnapshotStore& store) : m_area(new QMdiArea(this)) {
    setCentralWidget(m_area);
    statusBar()->showMessage(QStringLiteral("Ready"));
    const auto frame = [] { return new CChildFrame; };
    m_viewTemplate = std::make_unique<CDocTemplate>(
        kViewTemplate, QStringLiteral("View"),
        [&settings, &store] { return std::make_unique<CViewDoc>(settings, store); },
        [&settings](CDocument& doc) { return new CViewView(static_cast<CViewDoc&>(doc), settings); }, frame);
    m_compTemplate = std::make_unique<CDocTemplate>(
        kCompTemplate, QStringLiteral("Comp"),
        [this, &settings, &store] { return std::make_unique<CCompDoc>(settings, store, this); },
        [&settings](CDocument& doc) { return new CCompView(static_cast<CCompDoc&>(doc), settings); }, frame);
    m_viewTemplate->SetMdiArea(m_area);
    m_compTemplate->SetMdiArea(m_area);
    connect(m_area, &QMdiArea::subWindowActivated, this, &CWindowHost::OnActiveWindowChanged);
    OnActiveWindowChanged();
}

// The documents go with their windows, before the templates that made them.
CWindowHost::~CWindowHost() {
    m_area->disconnect(this);
    disconnect(m_titleConnection);
    m_area->closeAllSubWindows();
}

void CWindowHost::OnActiveWindowChanged() {
    QMdiSubWindow* active = m_area->activeSubWindow();
    auto* view = active != nullptr ? qobject_cast<CView*>(active->widget()) : nullptr;
    CDocument* document = view != nullptr ? &view->GetDocument() : nullptr;
    disconnect(m_titleConnection);
    const auto showTitle = [this, document] {
        const QString app = ResourceText(Res::kAppTitle);
        setWindowTitle(document == nullptr ? app : app + QStringLiteral(" - ") + document->GetTitle());
    };
    showTitle();
    if (document != nullptr) {
        m_titleConnection = connect(document, &CDocument::TitleChanged, this, showTitle);
    }
}

CCompDoc* CWindowHost::OpenCompare(const QString& target1, const QString& target2) {
    auto* doc =
        static_cast<CCompDoc*>(m_compTemplate->OpenDocumentFile(target1 + QLatin1Char('?') + target2));
    if (doc != nullptr) {
        doc->LoadAndCompare();
    }
    return doc;
}

CViewDoc* CWindowHost::OpenViewer(const QString& target) {
    auto* doc = static_cast<CViewDoc*>(m_viewTemplate->OpenDocumentFile(target));
    if (doc != nullptr) {
        doc->LoadFile();
    }
    return doc;
}

void CWindowHost::SetStatusText(const QString& text) {
    statusBar()->showMessage(text);
    // A comparison blocks the event loop: show the text now.
    statusBar()->repaint();
}
