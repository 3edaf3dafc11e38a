#include "blockhandoff.h"

namespace {
// One batch being copied in, one waiting and one being consumed.
constexpr std::size_t kMaxBatches = 3;
} // namespace

CBlockHandOff::CBlockHandOff(Consumer consumer) : m_consumer(std::move(consumer)) {}

CBlockHandOff::~CBlockHandOff() {
    Finish();
}

bool CBlockHandOff::Hand(std::span<const CompBlock> blocks) {
    if (m_refused.load(std::memory_order_relaxed)) {
        return false;
    }
    Batch batch;
    {
        std::unique_lock lock(m_mutex);
        if (!m_thread.joinable()) {
            m_thread = std::thread(&CBlockHandOff::ConsumerLoop, this);
        }
        m_changed.wait(lock, [this] {
            return !m_free.empty() || m_batches < kMaxBatches || m_refused.load(std::memory_order_relaxed);
        });
        if (m_refused.load(std::memory_order_relaxed)) {
            return false;
        }
        if (!m_free.empty()) {
            batch = std::move(m_free.back());
            m_free.pop_back();
        } else {
            ++m_batches;
        }
    }
    batch.assign(blocks.begin(), blocks.end());
    {
        std::lock_guard lock(m_mutex);
        m_full.push_back(std::move(batch));
    }
    m_changed.notify_all();
    return !m_refused.load(std::memory_order_relaxed);
}

void CBlockHandOff::ConsumerLoop() {
    for (;;) {
        Batch batch;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stop || !m_full.empty(); });
            if (m_full.empty()) {
                return;
            }
            batch = std::move(m_full.front());
            m_full.pop_front();
        }
        if (!m_refused.load(std::memory_order_relaxed) && !m_consumer(batch)) {
            m_refused.store(true, std::memory_order_relaxed);
        }
        {
            std::lock_guard lock(m_mutex);
            m_free.push_back(std::move(batch));
        }
        m_changed.notify_all();
    }
}

bool CBlockHandOff::Finish() {
    if (m_thread.joinable()) {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    return !m_refused.load(std::memory_order_relaxed);
}
