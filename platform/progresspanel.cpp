#include "progresspanel.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>

#include "backgroundwork.h"

namespace {

// Fine enough for a bar a few hundred pixels wide, and cheap to repaint.
constexpr int kRefreshMs = 100;
constexpr int kBarSteps = 1000;

} // namespace

CProgressPanel::CProgressPanel(CBackgroundWork& work, QWidget* window)
    : QWidget(window), m_work(work), m_bar(new QProgressBar(this)), m_cancel(new QToolButton(this)),
      m_escape(new QShortcut(QKeySequence(Qt::Key_Escape), window)), m_delay(new QTimer(this)),
      m_refresh(new QTimer(this)) {
    setObjectName(QStringLiteral("progress"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_bar);
    layout->addWidget(m_cancel);
    m_bar->setAccessibleName(QStringLiteral("Progress"));
    m_bar->setFixedWidth(160);
    m_bar->setRange(0, kBarSteps);
    m_cancel->setText(QStringLiteral("Cancel"));
    m_cancel->setAccessibleName(QStringLiteral("Cancel"));
    m_cancel->setToolTip(QStringLiteral("Stop this work (Esc)"));
    m_cancel->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_escape->setEnabled(false);
    m_delay->setSingleShot(true);
    m_delay->setInterval(kShowAfterMs);
    m_refresh->setInterval(kRefreshMs);
    connect(m_cancel, &QToolButton::clicked, &m_work, &CBackgroundWork::Stop);
    connect(m_escape, &QShortcut::activated, &m_work, &CBackgroundWork::Stop);
    connect(m_delay, &QTimer::timeout, this, &CProgressPanel::Appear);
    connect(m_refresh, &QTimer::timeout, this, &CProgressPanel::Refresh);
    connect(&m_work, &CBackgroundWork::RunningChanged, this, &CProgressPanel::OnRunningChanged);
    connect(&m_work, &CBackgroundWork::BusyChanged, this, [this](bool busy) { m_shownInChain &= busy; });
    hide();
}

void CProgressPanel::OnRunningChanged(bool running) {
    m_escape->setEnabled(running);
    if (running) {
        if (m_shownInChain) {
            Appear();
        } else {
            m_delay->start();
        }
        return;
    }
    m_shownInChain = !isHidden();
    m_delay->stop();
    m_refresh->stop();
    hide();
}

void CProgressPanel::Appear() {
    Refresh();
    show();
    m_refresh->start();
}

void CProgressPanel::Refresh() {
    const CBackgroundWork::State state = m_work.Current();
    if (state.total == 0) {
        // Nothing to measure against, as with a pipe: the bar only says that work goes on.
        m_bar->setRange(0, 0);
        return;
    }
    m_bar->setRange(0, kBarSteps);
    m_bar->setValue(static_cast<int>(state.done * kBarSteps / state.total));
}
