#pragma once

#include <QLabel>

class QMainWindow;

// The message pane of a status bar: what the program is doing now ("Ready" when nothing), and, while
// the pointer is on a menu item or a button, that command's prompt in its place. When the prompt goes,
// the text of what is being done comes back.
class CStatusMessage : public QLabel {
    Q_OBJECT

public:
    // Takes the rest of `window`'s status bar, and the window's status tips.
    explicit CStatusMessage(QMainWindow* window);

    // Empty stands for "Ready".
    void SetMessage(const QString& text);
    QString Message() const { return m_message; }
    // A command's prompt for as long as the pointer rests on it; empty when it leaves.
    void ShowPrompt(const QString& prompt);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString m_message;
};
