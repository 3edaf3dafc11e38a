#include "titlefollower.h"

#include <QWidget>

#include "document.h"
#include "res/resource.h"
#include "resourcetext.h"

CTitleFollower::~CTitleFollower() {
    QObject::disconnect(m_connection);
}

void CTitleFollower::Follow(CDocument* document) {
    QObject::disconnect(m_connection);
    const auto showTitle = [this, document] {
        const QString app = ResourceText(Res::kAppTitle);
        m_window.setWindowTitle(document == nullptr ? app
                                                    : app + QStringLiteral(" - ") + document->GetTitle());
    };
    showTitle();
    if (document != nullptr) {
        m_connection = QObject::connect(document, &CDocument::TitleChanged, &m_window, showTitle);
    }
}
