#pragma once

#include <QPointer>
#include <QWidget>

#include "commandtarget.h"
#include "document.h"

// A view of the document/view pattern: the widget that shows a document inside its window. It is
// laid out by OnInitialUpdate before it is first shown, and again by OnUpdate whenever the
// document changes.
class CView : public QWidget, public CCommandTarget {
    Q_OBJECT

public:
    explicit CView(CDocument& document, QWidget* parent = nullptr);
    ~CView() override;

    CDocument& GetDocument() const { return *m_document; }

    virtual void OnInitialUpdate() { OnUpdate(); }
    virtual void OnUpdate() { update(); }

private:
    QPointer<CDocument> m_document;
};
