#include "doctemplate.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include "document.h"
#include "view.h"

CDocTemplate::CDocTemplate(int resourceId, DocumentFactory makeDocument, ViewFactory makeView,
                           FrameFactory makeFrame)
    : m_resourceId(resourceId), m_makeDocument(std::move(makeDocument)), m_makeView(std::move(makeView)),
      m_makeFrame(std::move(makeFrame)) {}

CDocument* CDocTemplate::OpenDocumentFile(const std::string& target) {
    if (m_area.isNull()) {
        return nullptr;
    }
    std::unique_ptr<CDocument> document = m_makeDocument();
    if (!document->OnOpenDocument(target)) {
        return nullptr;
    }
    QMdiSubWindow* frame = m_makeFrame();
    frame->setAttribute(Qt::WA_DeleteOnClose);
    CView* view = m_makeView(*document);
    frame->setWidget(view);
    frame->setWindowTitle(document->GetTitle());
    CDocument* opened = document.release();
    // The document outlives its view: it goes once the view, one of the frame's children, is gone.
    QObject::connect(view, &QObject::destroyed, opened, [opened] { delete opened; });
    QObject::connect(opened, &CDocument::TitleChanged, frame, &QWidget::setWindowTitle);
    // Known as this template's before its window activates, so the main window can tell its kind.
    std::erase_if(m_documents, [](const QPointer<CDocument>& held) { return held.isNull(); });
    m_documents.emplace_back(opened);
    m_area->addSubWindow(frame);
    view->OnInitialUpdate();
    frame->show();
    m_area->setActiveSubWindow(frame);
    return opened;
}

std::vector<CDocument*> CDocTemplate::GetDocuments() const {
    std::vector<CDocument*> documents;
    for (const QPointer<CDocument>& document : m_documents) {
        if (!document.isNull()) {
            documents.push_back(document.data());
        }
    }
    return documents;
}
