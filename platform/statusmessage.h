#pragma once

#include <QLabel>

// The message pane of a status bar: what the program is doing now ("Ready" when nothing), and, while
// the pointer is on a menu item or a button, that command's prompt in its place. When the prompt goes,
// the text of what is being done comes back.
class CStatusMessage : public QLabel {
    Q_OBJECT

public:
    explicit CStatusMessage(QWidget* parent = nullptr);

    // Empty stands for "Ready".
    void SetMessage(const QString& text);
    QString Message() const { return m_message; }
    // A command's prompt for as long as the pointer rests on it; empty when it leaves.
    void ShowPrompt(const QString& prompt);

private:
    QString m_message;
};
