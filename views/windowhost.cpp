#include "windowhost.h"

#include <QMdiArea>
#include <QStatusBar>

#include "childframe.h"
#include "compare/compdoc.h"
#include "compview.h"
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
}

// The documents go with their windows, before the templates that made them.
CWindowHost::~CWindowHost() {
    m_area->closeAllSubWindows();
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
