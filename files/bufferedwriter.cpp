#include "bufferedwriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {
// Enough for the writer to drain one chunk while the caller fills another and a third waits.
constexpr std::size_t kMaxChunks = 3;
} // namespace

CBufferedWriter::CBufferedWriter(int fd)
    : m_fd(fd), m_current(new char[kChunk + kMaxReserve]), m_capacity(kChunk + kMaxReserve) {}

CBufferedWriter::~CBufferedWriter() {
    Finish();
}

void CBufferedWriter::Write(std::string_view text) {
    while (!text.empty()) {
        const std::size_t n = std::min(text.size(), kMaxReserve);
        std::memcpy(Reserve(n), text.data(), n);
        Commit(n);
        text.remove_prefix(n);
    }
}

bool CBufferedWriter::WriteAll(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = write(m_fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            int expected = 0;
            m_error.compare_exchange_strong(expected, errno);
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void CBufferedWriter::WriterLoop() {
    for (;;) {
        std::pair<Chunk, std::size_t> job;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stop || !m_full.empty(); });
            if (m_full.empty()) {
                return;
            }
            job = std::move(m_full.front());
            m_full.pop_front();
        }
        if (Error() == 0) {
            WriteAll(job.first.get(), job.second);
        }
        {
            std::lock_guard lock(m_mutex);
            m_free.push_back(std::move(job.first));
        }
        m_changed.notify_all();
    }
}

void CBufferedWriter::HandOff() {
    if (m_used == 0) {
        return;
    }
    std::unique_lock lock(m_mutex);
    if (!m_thread.joinable()) {
        m_thread = std::thread(&CBufferedWriter::WriterLoop, this);
    }
    m_full.emplace_back(std::move(m_current), m_used);
    m_used = 0;
    if (m_free.empty() && m_chunks < kMaxChunks) {
        ++m_chunks;
        m_current.reset(new char[m_capacity]);
    } else {
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return !m_free.empty(); });
        m_current = std::move(m_free.back());
        m_free.pop_back();
    }
    lock.unlock();
    m_changed.notify_all();
}

bool CBufferedWriter::Finish() {
    if (m_thread.joinable()) {
        HandOff();
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
    } else if (m_used > 0) {
        // Small outputs never start the thread.
        WriteAll(m_current.get(), m_used);
    }
    m_used = 0;
    return Error() == 0;
}
