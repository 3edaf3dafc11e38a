#pragma once

#include <functional>
#include <memory>

#include "platform/doctemplate.h"

class CCompSettings;
class CSnapshotStore;
class CDocumentHost;
class QMdiArea;

// The program's two document templates, the viewer's and the comparison's, each showing its
// documents in child frames. Made in this one place for the program and the window tool alike.
class CDocTemplates {
public:
    // Where a document shows its status texts and runs its long work, asked as each one is made (may
    // give null).
    using StatusSource = std::function<CDocumentHost*()>;

    // The settings and the store outlive the templates.
    CDocTemplates(CCompSettings& settings, const CSnapshotStore& store, StatusSource status);

    CDocTemplate& View() const { return *m_pViewTemplate; }
    CDocTemplate& Comp() const { return *m_pCompTemplate; }
    void SetMdiArea(QMdiArea* area);

private:
    std::unique_ptr<CDocTemplate> m_pViewTemplate;
    std::unique_ptr<CDocTemplate> m_pCompTemplate;
};
