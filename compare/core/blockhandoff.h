#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "compengine.h"

// A sink for the engine that passes each batch of blocks, copied, to `consumer` on a thread of its
// own, so that the comparison goes on while the blocks before are written. A few batches wait at
// most; the engine waits when the consumer falls behind.
class CBlockHandOff {
public:
    using Consumer = std::function<bool(std::span<const CompBlock>)>;

    explicit CBlockHandOff(Consumer consumer);
    CBlockHandOff(const CBlockHandOff&) = delete;
    CBlockHandOff& operator=(const CBlockHandOff&) = delete;
    ~CBlockHandOff();

    // False once the consumer has refused a batch; later ones are dropped.
    bool Hand(std::span<const CompBlock> blocks);
    // Waits until the consumer has had everything; false if it refused any.
    bool Finish();

private:
    using Batch = std::vector<CompBlock>;

    void ConsumerLoop();

    Consumer m_consumer;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Batch> m_full;
    std::vector<Batch> m_free;
    std::size_t m_batches = 0;
    bool m_stop = false;
    std::atomic<bool> m_refused{false};
    std::thread m_thread;
};
