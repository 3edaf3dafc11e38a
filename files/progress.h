#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

// How far a long piece of work has come, and whether it is to stop. The worker calls Update with
// the bytes done as often as it likes: that costs one comparison until the next report is due, every
// few megabytes, when the callback hears of it and the cancel flag is read. Without a callback or a
// flag it reports nothing and never stops.
class CProgress {
public:
    static constexpr std::uint64_t kStep = 4u << 20;

    using Callback = std::function<void(std::uint64_t done, std::uint64_t total)>;

    CProgress() = default;
    // `cancel` may be null, and must outlive the work when it is not.
    CProgress(Callback callback, const std::atomic<bool>* cancel)
        : m_callback(std::move(callback)), m_cancel(cancel) {}

    // A new piece of work of `total` bytes (or rows, or whatever it counts), reported every `step`.
    void Start(std::uint64_t total, std::uint64_t step = kStep);
    // False once the work is to stop.
    bool Update(std::uint64_t done) { return done < m_next || Report(done); }
    // The work is done: 100% is reported, once.
    void Finish();
    bool IsCancelled() const { return m_cancel != nullptr && m_cancel->load(std::memory_order_relaxed); }

private:
    bool Report(std::uint64_t done);

    Callback m_callback;
    const std::atomic<bool>* m_cancel = nullptr;
    std::uint64_t m_step = kStep;
    std::uint64_t m_total = 0;
    std::uint64_t m_next = ~std::uint64_t{0};
    bool m_finished = false;
};
