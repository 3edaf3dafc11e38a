#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

// Buffered output to a file descriptor. Once the output outgrows one chunk, a second thread does the
// writing while the caller formats the next chunk. The first failed write is kept and everything after
// it is dropped, so the caller checks once, at Finish.
class CBufferedWriter {
public:
    static constexpr std::size_t kChunk = 1u << 20;
    // The most a single Reserve may ask for.
    static constexpr std::size_t kMaxReserve = 64u << 10;

    explicit CBufferedWriter(int fd);
    CBufferedWriter(const CBufferedWriter&) = delete;
    CBufferedWriter& operator=(const CBufferedWriter&) = delete;
    ~CBufferedWriter();

    // Room for at least `n` bytes (n <= kMaxReserve); then Commit what was used of it.
    char* Reserve(std::size_t n) {
        if (m_used + n > m_capacity) {
            HandOff();
        }
        return m_current.get() + m_used;
    }
    void Commit(std::size_t n) { m_used += n; }

    void Write(std::string_view text);

    // Writes out everything and waits for it; false if any write failed.
    bool Finish();
    // The errno of the first failed write, or 0.
    int Error() const { return m_error.load(std::memory_order_relaxed); }

private:
    using Chunk = std::unique_ptr<char[]>;

    void HandOff();
    void WriterLoop();
    bool WriteAll(const char* data, std::size_t size);

    int m_fd;
    Chunk m_current;
    std::size_t m_used = 0;
    std::size_t m_capacity;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::pair<Chunk, std::size_t>> m_full;
    std::vector<Chunk> m_free;
    std::size_t m_chunks = 1;
    bool m_stop = false;
    std::atomic<int> m_error{0};
    std::thread m_thread;
};
