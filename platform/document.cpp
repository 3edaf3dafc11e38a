#include "document.h"

#include <algorithm>

#include <QMdiSubWindow>

#include "view.h"

void CDocument::SetTitle(const QString& title) {
    m_title = title;
    emit TitleChanged(title);
}

void CDocument::AddView(CView* view) {
    m_views.emplace_back(view);
}

void CDocument::RemoveView(CView* view) {
    std::erase_if(m_views, [view](const QPointer<CView>& held) { return held == view || held.isNull(); });
}

std::vector<CView*> CDocument::GetViews() const {
    std::vector<CView*> views;
    for (const QPointer<CView>& view : m_views) {
        if (!view.isNull()) {
            views.push_back(view.data());
        }
    }
    return views;
}

void CDocument::UpdateAllViews(CView* sender) {
    for (CView* view : GetViews()) {
        if (view != sender) {
            view->OnUpdate();
        }
    }
}

void CDocument::CloseWindows() {
    for (CView* view : GetViews()) {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(view->parentWidget())) {
            frame->close();
        }
    }
}
