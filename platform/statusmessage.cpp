#include "statusmessage.h"

#include <QMainWindow>
#include <QStatusBar>
#include <QStatusTipEvent>

#include "res/resource.h"
#include "resourcetext.h"

CStatusMessage::CStatusMessage(QMainWindow* window) : QLabel(window) {
    setObjectName(QStringLiteral("message"));
    setTextFormat(Qt::PlainText);
    SetMessage({});
    window->statusBar()->addWidget(this, 1);
    window->installEventFilter(this);
}

void CStatusMessage::SetMessage(const QString& text) {
    m_message = text.isEmpty() ? ResourceText(Res::kIdleMessage) : text;
    setText(m_message);
}

void CStatusMessage::ShowPrompt(const QString& prompt) {
    setText(prompt.isEmpty() ? m_message : prompt);
}

// Watches its window alone.
bool CStatusMessage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        ShowPrompt(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QLabel::eventFilter(watched, event);
}
