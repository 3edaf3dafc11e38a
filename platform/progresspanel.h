#pragma once

#include <QWidget>

class CBackgroundWork;
class QProgressBar;
class QShortcut;
class QTimer;
class QToolButton;

// The status bar's share of a long work: how far it has come, and a Cancel button, with Esc in the
// window doing the same. It shows only once the work has taken half a second, so quick work does not
// make it flicker, and only while a work runs: not while a chain of works waits for the user.
class CProgressPanel : public QWidget {
    Q_OBJECT

public:
    static constexpr int kShowAfterMs = 500;

    // `work` outlives the panel; Esc works in `window`.
    CProgressPanel(CBackgroundWork& work, QWidget* window);

    QProgressBar* Bar() const { return m_bar; }
    QToolButton* CancelButton() const { return m_cancel; }

private:
    void OnRunningChanged(bool running);
    void Appear();
    void Refresh();

    CBackgroundWork& m_work;
    QProgressBar* m_bar;
    QToolButton* m_cancel;
    QShortcut* m_escape;
    QTimer* m_delay;
    QTimer* m_refresh;
    // Shown when the last work ended: the next work of its chain shows it again at once.
    bool m_shownInChain = false;
};
