#include "childframe.h"

#include <QCloseEvent>
#include <QDataStream>
#include <QIODevice>

#include "platform/settingsprofile.h"

namespace {

constexpr quint32 kPlacementVersion = 1;

} // namespace

CChildFrame::CChildFrame(QWidget* parent) : QMdiSubWindow(parent) {}

void CChildFrame::showEvent(QShowEvent* event) {
    QMdiSubWindow::showEvent(event);
    if (m_bRestored) {
        return;
    }
    m_bRestored = true;
    // Without a stored placement the MDI area's own choice stands.
    QByteArray placement = CSettingsProfile().Settings().value(kPlacementKey).toByteArray();
    QDataStream in(&placement, QIODevice::ReadOnly);
    quint32 version = 0;
    QRect normal;
    bool maximized = false;
    in >> version >> normal >> maximized;
    if (in.status() != QDataStream::Ok || version != kPlacementVersion || !normal.isValid()) {
        return;
    }
    setGeometry(normal);
    if (maximized) {
        showMaximized();
    }
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    QMdiSubWindow::closeEvent(event);
    if (!event->isAccepted()) {
        return;
    }
    QByteArray placement;
    QDataStream out(&placement, QIODevice::WriteOnly);
    // A maximised or minimised window keeps the rectangle it had when shown normally.
    const bool maximized = isMaximized();
    const QRect normal = m_normal.isValid() ? m_normal : geometry();
    out << kPlacementVersion << normal << maximized;
    CSettingsProfile().Settings().setValue(kPlacementKey, placement);
}

void CChildFrame::moveEvent(QMoveEvent* event) {
    QMdiSubWindow::moveEvent(event);
    KeepNormalGeometry();
}

void CChildFrame::resizeEvent(QResizeEvent* event) {
    QMdiSubWindow::resizeEvent(event);
    KeepNormalGeometry();
}

void CChildFrame::KeepNormalGeometry() {
    if (!isMaximized() && !isMinimized()) {
        m_normal = geometry();
    }
}
