#include "doctemplates.h"

#include "childframe.h"
#include "compare/compdoc.h"
#include "compview.h"
#include "res/resource.h"
#include "viewdoc.h"
#include "viewview.h"

CDocTemplates::CDocTemplates(CCompSettings& settings, const CSnapshotStore& store, StatusSource status) {
    const auto frame = [] { return new CChildFrame; };
    m_pViewTemplate = std::make_unique<CDocTemplate>(
        Res::kViewType,
        [&settings, &store, status] {
            return std::make_unique<CViewDoc>(settings, store, status ? status() : nullptr);
        },
        [&settings](CDocument& doc) { return new CViewView(static_cast<CViewDoc&>(doc), settings); }, frame);
    m_pCompTemplate = std::make_unique<CDocTemplate>(
        Res::kCompType,
        [&settings, &store, status = std::move(status)] {
            return std::make_unique<CCompDoc>(settings, store, status ? status() : nullptr);
        },
        [&settings](CDocument& doc) { return new CCompView(static_cast<CCompDoc&>(doc), settings); }, frame);
}

void CDocTemplates::SetMdiArea(QMdiArea* area) {
    m_pViewTemplate->SetMdiArea(area);
    m_pCompTemplate->SetMdiArea(area);
}
