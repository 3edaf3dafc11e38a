#include "dockingpane.h"

#include <QApplication>
#include <QLabel>
#include <QStyle>

DCDockingPane::DCDockingPane(const QString& caption, int id, QWidget* parent) : QDockWidget(caption, parent) {
    setObjectName(QString::number(id));
    // Until the pane has contents, a focusable placeholder lets it hold the focus like a full pane.
    auto* body = new QLabel(this);
    body->setFocusPolicy(Qt::StrongFocus);
    body->setMinimumSize(200, 80);
    setWidget(body);
    // Set once: a style sheet changed while a child is live pulls its style from under it (the folder
    // box's popup crashed on its next show). Only the dock's own polish follows the focus.
    setStyleSheet(QStringLiteral("QDockWidget[activePane=\"true\"]::title { background: palette(highlight); "
                                 "color: palette(highlighted-text); }"));
    connect(qApp, &QApplication::focusChanged, this, &DCDockingPane::ShowActiveCaption);
}

void DCDockingPane::SetBody(QWidget* body) {
    QWidget* placeholder = widget();
    setWidget(body);
    delete placeholder;
}

bool DCDockingPane::IsActive() const {
    const QWidget* focus = QApplication::focusWidget();
    return focus != nullptr && (focus == this || isAncestorOf(focus));
}

void DCDockingPane::ShowActiveCaption() {
    const bool active = IsActive();
    if (active == m_bActiveCaption) {
        return;
    }
    m_bActiveCaption = active;
    setProperty("activePane", active);
    style()->unpolish(this);
    style()->polish(this);
    update();
}
