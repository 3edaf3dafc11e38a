#pragma once

#include <QMdiSubWindow>

// The window of every document inside the main window's MDI area. All document windows share one
// remembered placement: each takes it when it first shows and stores it when it closes, so a new
// window opens where the last one was closed.
class CChildFrame : public QMdiSubWindow {
    Q_OBJECT

public:
    static constexpr const char* kPlacementKey = "MDI Window Position 0";

    explicit CChildFrame(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void KeepNormalGeometry();

    bool m_bRestored = false;
    QRect m_normal; // the rectangle of the last normal show state
};
