#pragma once

#include <QMdiSubWindow>

// The window of every document inside the main window's MDI area.
class CChildFrame : public QMdiSubWindow {
    Q_OBJECT

public:
    explicit CChildFrame(QWidget* parent = nullptr);
};
