#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include <QObject>
#include <QPointer>
#include <QString>

#include "files/progress.h"

// Runs one long piece of work at a time away from the window's thread, so that the window keeps
// painting and answering, and keeps what the status bar shows of it: what it is doing, how far it
// has come, and whether the user asked it to stop. The end of one work may start the next one, and
// such a chain counts as one: the program is busy from its start to its end.
class CDocumentHost;

class CBackgroundWork : public QObject {
    Q_OBJECT

public:
    // Caller runs each work at once on the calling thread, for the tests that want results at once.
    enum class Thread { Worker, Caller };
    enum class Outcome { Finished, Stopped, OutOfMemory };

    // What a work is given: a progress for each step it takes, each with the status bar's text.
    class Steps {
    public:
        virtual CProgress Step(const QString& text) = 0;

    protected:
        ~Steps() = default;
    };
    using Work = std::function<void(Steps& steps)>;
    // On the window's thread once the work is over; never when its owner has gone meanwhile.
    using Done = std::function<void(Outcome outcome)>;

    explicit CBackgroundWork(Thread thread = Thread::Worker, QObject* parent = nullptr);
    // Stops the work and waits for it.
    ~CBackgroundWork() override;

    // False, starting nothing, while a work runs, or while a chain of another owner's is between two
    // works. `owner` may be null.
    bool Start(QObject* owner, Work work, Done done);
    bool IsBusy() const { return m_busy; }
    // Whether a work runs now: false in its Done, and between two works of a chain.
    bool IsRunning() const { return m_running; }
    // Whether the running work was started by `owner`.
    bool IsRunningFor(const QObject* owner) const { return m_running && m_owner == owner; }
    // Asks the work to stop at its next report; its Done follows with Outcome::Stopped.
    void Stop();
    // Stops the work and waits for it, with its Done and any work that follows stopped too.
    void StopAndWait();

    // What the status bar shows: the current step's text and its progress (total 0 when unknown).
    struct State {
        QString text;
        std::uint64_t done = 0;
        std::uint64_t total = 0;
    };
    State Current() const;
    // Shows each step's text in `status`, and "Ready" whenever no work runs, for as long as `context`
    // lives.
    void ReportTo(CDocumentHost& status, QObject* context);

    // For tests: called on the worker thread at each report, so that a test can hold the work at a
    // known point, and there wait until it is told to stop.
    void SetReportHook(std::function<void(const State& state)> hook) { m_hook = std::move(hook); }
    void WaitUntilStopped() const { m_stop.wait(false); }

signals:
    // A chain began or ended.
    void BusyChanged(bool busy);
    // A work of the chain began or ended; between two works (while a dialog asks the user, say)
    // nothing runs, though the chain is still busy.
    void RunningChanged(bool running);
    void StepStarted(const QString& text);

private:
    class Reporter;
    void Finished();
    void RequestStop();

    Thread m_thread;
    std::thread m_worker;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_outOfMemory{false};
    bool m_busy = false;
    bool m_running = false;
    bool m_stopChain = false;
    QPointer<QObject> m_owner;
    const QObject* m_chainOwner = nullptr; // compared, never used
    bool m_hasOwner = false;
    std::uint64_t m_generation = 0;
    Done m_done;
    std::function<void(const State&)> m_hook;
    mutable std::mutex m_mutex; // guards m_state, written by the worker
    State m_state;
};
