#include "view.h"

#include "document.h"

CView::CView(CDocument& document, QWidget* parent) : QWidget(parent), m_document(&document) {
    document.AddView(this);
}

CView::~CView() {
    if (!m_document.isNull()) {
        m_document->RemoveView(this);
    }
}
