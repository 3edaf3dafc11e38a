#include "statusmessage.h"

#include "res/resource.h"
#include "resourcetext.h"

CStatusMessage::CStatusMessage(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("message"));
    setTextFormat(Qt::PlainText);
    SetMessage({});
}

void CStatusMessage::SetMessage(const QString& text) {
    m_message = text.isEmpty() ? ResourceText(Res::kIdleMessage) : text;
    setText(m_message);
}

void CStatusMessage::ShowPrompt(const QString& prompt) {
    setText(prompt.isEmpty() ? m_message : prompt);
}
