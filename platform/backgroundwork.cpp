#include "backgroundwork.h"

#include <new>
#include <system_error>

#include "documenthost.h"
#include "res/resource.h"
#include "resourcetext.h"

// Hands the worker a progress per step, and keeps what it reports for the status bar.
class CBackgroundWork::Reporter final : public Steps {
public:
    explicit Reporter(CBackgroundWork& work) : m_work(work) {}

    CProgress Step(const QString& text) override {
        CBackgroundWork* work = &m_work;
        {
            const std::lock_guard lock(work->m_mutex);
            work->m_state = {text, 0, 0};
        }
        // Queued from the worker, in order with the end of the work; at once on the caller's thread.
        QMetaObject::invokeMethod(work, [work, text] { emit work->StepStarted(text); });
        return CProgress(
            [work, text](std::uint64_t done, std::uint64_t total) {
                {
                    const std::lock_guard lock(work->m_mutex);
                    work->m_state.done = done;
                    work->m_state.total = total;
                }
                if (work->m_hook) {
                    work->m_hook({text, done, total});
                }
            },
            &work->m_stop);
    }

private:
    CBackgroundWork& m_work;
};

CBackgroundWork::CBackgroundWork(Thread thread, QObject* parent) : QObject(parent), m_thread(thread) {}

// Nothing is told any more: the owners may be half gone.
CBackgroundWork::~CBackgroundWork() {
    RequestStop();
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

bool CBackgroundWork::Start(QObject* owner, Work work, Done done) {
    // Between two works of a chain only the chain's owner goes on.
    if (m_running || (m_busy && owner != m_chainOwner)) {
        return false;
    }
    m_running = true;
    m_owner = owner;
    m_hasOwner = owner != nullptr;
    m_done = std::move(done);
    m_stop = m_stopChain;
    m_outOfMemory = false;
    {
        const std::lock_guard lock(m_mutex);
        m_state = {};
    }
    if (!m_busy) {
        m_busy = true;
        m_chainOwner = owner;
        emit BusyChanged(true);
    }
    emit RunningChanged(true);
    auto run = [this, work = std::move(work)] {
        Reporter reporter(*this);
        try {
            work(reporter);
        } catch (const std::bad_alloc&) {
            m_outOfMemory = true;
        }
    };
    if (m_thread == Thread::Caller) {
        run();
        Finished();
        return true;
    }
    const std::uint64_t generation = ++m_generation;
    try {
        m_worker = std::thread([this, run = std::move(run), generation] {
            run();
            QMetaObject::invokeMethod(
                this,
                [this, generation] {
                    if (generation == m_generation) {
                        Finished();
                    }
                },
                Qt::QueuedConnection);
        });
    } catch (const std::system_error&) {
        // No thread to be had: as short of resources as a failed allocation, and told the same way.
        m_outOfMemory = true;
        Finished();
    }
    return true;
}

void CBackgroundWork::Stop() {
    if (m_running) {
        RequestStop();
    }
}

void CBackgroundWork::StopAndWait() {
    m_stopChain = m_busy;
    while (m_running) {
        RequestStop();
        Finished();
    }
}

void CBackgroundWork::RequestStop() {
    m_stop = true;
    m_stop.notify_all();
}

void CBackgroundWork::ReportTo(CDocumentHost& status, QObject* context) {
    connect(this, &CBackgroundWork::StepStarted, context,
            [&status](const QString& text) { status.SetStatusText(text); });
    connect(this, &CBackgroundWork::RunningChanged, context, [&status](bool running) {
        if (!running) {
            status.SetStatusText(ResourceText(Res::kIdleMessage));
        }
    });
}

CBackgroundWork::State CBackgroundWork::Current() const {
    const std::lock_guard lock(m_mutex);
    return m_state;
}

void CBackgroundWork::Finished() {
    if (!m_running) {
        return;
    }
    if (m_worker.joinable()) {
        m_worker.join();
    }
    // Whatever comes of this work's end, a report the worker queued is not for a later work.
    ++m_generation;
    m_running = false;
    const Outcome outcome = m_outOfMemory ? Outcome::OutOfMemory
                            : m_stop      ? Outcome::Stopped
                                          : Outcome::Finished;
    const Done done = std::exchange(m_done, nullptr);
    // Before Done, which may ask the user something before the chain goes on.
    emit RunningChanged(false);
    if (done && (!m_hasOwner || !m_owner.isNull())) {
        done(outcome);
    }
    // Done may have started the next work of the chain.
    if (!m_running && m_busy) {
        m_busy = false;
        m_stopChain = false;
        m_chainOwner = nullptr;
        {
            const std::lock_guard lock(m_mutex);
            m_state = {};
        }
        emit BusyChanged(false);
    }
}
