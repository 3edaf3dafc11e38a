#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QMdiArea>
#include <QPointer>
#include <QString>

class CDocument;
class CView;
class QMdiSubWindow;

// Opens documents of one kind: makes the document, lets it open itself on a path string, and shows it
// with its view in a new child window of the main window's MDI area. The window owns the document.
class CDocTemplate {
public:
    using DocumentFactory = std::function<std::unique_ptr<CDocument>()>;
    using ViewFactory = std::function<CView*(CDocument&)>;
    using FrameFactory = std::function<QMdiSubWindow*()>;

    CDocTemplate(int resourceId, DocumentFactory makeDocument, ViewFactory makeView, FrameFactory makeFrame);

    int GetResourceId() const { return m_resourceId; }
    void SetMdiArea(QMdiArea* area) { m_area = area; }

    // The opened and shown document, or nullptr when it could not be opened (it has said why).
    CDocument* OpenDocumentFile(const std::string& target);
    // The documents of this template whose windows are open, oldest first.
    std::vector<CDocument*> GetDocuments() const;

private:
    int m_resourceId;
    DocumentFactory m_makeDocument;
    ViewFactory m_makeView;
    FrameFactory m_makeFrame;
    QPointer<QMdiArea> m_area;
    std::vector<QPointer<CDocument>> m_documents;
};
