#pragma once

#include <QDockWidget>

// A docking pane of the main window whose caption shows, as the active window's title does, whether
// the keyboard focus is in it.
class DCDockingPane : public QDockWidget {
    Q_OBJECT

public:
    DCDockingPane(const QString& caption, int id, QWidget* parent = nullptr);

    // Whether the keyboard focus is in this pane.
    bool IsActive() const;

protected:
    // Puts the pane's contents in place of the placeholder it starts with.
    void SetBody(QWidget* body);

private:
    // The caption shows whether the pane holds the focus, as the active window's title does.
    void ShowActiveCaption();

    bool m_bActiveCaption = false;
};
