#include "differencescanner.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "files/memorywords.h"

namespace {

// The first window of a run is scanned on one thread: most runs end long before its end, and waking
// the helper for each of them would cost more than the scan.
constexpr std::size_t kFirstWindow = 1u << 20;
constexpr std::size_t kMaxWindow = 32u << 20;

} // namespace

CDifferenceScanner::~CDifferenceScanner() {
    if (m_helper.joinable()) {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_helper.join();
    }
}

// Long equal stretches are left to memcmp, the fastest compare the library has; only the stretch
// that differs is searched word by word.
std::size_t CDifferenceScanner::Scan(const std::uint8_t* a, const std::uint8_t* b, std::size_t bytes) {
    constexpr std::size_t kChunk = 16u << 10;
    std::size_t off = 0;
    while (off < bytes) {
        const std::size_t end = std::min(bytes, off + kChunk);
        if (end - off == kChunk && std::memcmp(a + off, b + off, kChunk) == 0) {
            off = end;
            continue;
        }
        for (; off + 8 <= end; off += 8) {
            const std::uint64_t x = LoadWord<std::uint64_t>(a + off) ^ LoadWord<std::uint64_t>(b + off);
            if (x != 0) {
                const int bit =
                    std::endian::native == std::endian::little ? std::countr_zero(x) : std::countl_zero(x);
                return off + static_cast<std::size_t>(bit / 8);
            }
        }
        for (; off < end; ++off) {
            if (a[off] != b[off]) {
                return off;
            }
        }
    }
    return bytes;
}

bool CDifferenceScanner::StartHelper() {
    if (!m_helperTried) {
        m_helperTried = true;
        if (std::thread::hardware_concurrency() > 1) {
            m_helper = std::thread(&CDifferenceScanner::HelperLoop, this);
        }
    }
    return m_helper.joinable();
}

void CDifferenceScanner::HelperLoop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stop || m_job.pending; });
        if (m_stop) {
            return;
        }
        const Job job = m_job;
        lock.unlock();
        const std::size_t result = Scan(job.a, job.b, job.bytes);
        lock.lock();
        m_job.result = result;
        m_job.pending = false;
        m_changed.notify_all();
    }
}

std::size_t CDifferenceScanner::FirstDifference(const std::uint8_t* a, const std::uint8_t* b,
                                                std::size_t bytes) {
    std::size_t off = 0;
    std::size_t window = kFirstWindow;
    while (off < bytes) {
        const std::size_t length = std::min(window, bytes - off);
        if (off == 0 || length < kFirstWindow || !StartHelper()) {
            const std::size_t d = Scan(a + off, b + off, length);
            if (d < length) {
                return off + d;
            }
        } else {
            const std::size_t half = length / 2;
            ++m_sharedWindows;
            {
                std::lock_guard lock(m_mutex);
                m_job = {a + off + half, b + off + half, length - half, 0, true};
            }
            m_changed.notify_all();
            const std::size_t d = Scan(a + off, b + off, half);
            std::size_t second;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [this] { return !m_job.pending; });
                second = m_job.result;
            }
            if (d < half) {
                return off + d;
            }
            if (second < length - half) {
                return off + half + second;
            }
        }
        if (m_release) {
            m_release(a + off, length);
            m_release(b + off, length);
        }
        off += length;
        window = std::min(window * 2, kMaxWindow);
    }
    return bytes;
}
