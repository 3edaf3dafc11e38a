#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

// Finds the first byte at which two long byte ranges differ. One core cannot read memory as fast as
// the memory can deliver it, so long ranges are scanned in growing windows, each split between the
// calling thread and a helper thread that lives as long as the scanner.
class CDifferenceScanner {
public:
    CDifferenceScanner() = default;
    CDifferenceScanner(const CDifferenceScanner&) = delete;
    CDifferenceScanner& operator=(const CDifferenceScanner&) = delete;
    ~CDifferenceScanner();

    // Offset of the first differing byte within the first `bytes` bytes, or `bytes` if none differs.
    std::size_t FirstDifference(const std::uint8_t* a, const std::uint8_t* b, std::size_t bytes);

    // The same on the calling thread alone.
    static std::size_t Scan(const std::uint8_t* a, const std::uint8_t* b, std::size_t bytes);

    // How many windows the helper has scanned a part of: each costs a wake-up of two threads.
    std::size_t SharedWindows() const { return m_sharedWindows; }

    // Told of each stretch of both ranges found equal in a long run, which need not stay in memory.
    using Release = std::function<void(const std::uint8_t* begin, std::size_t length)>;
    void SetRelease(Release release) { m_release = std::move(release); }

private:
    struct Job {
        const std::uint8_t* a = nullptr;
        const std::uint8_t* b = nullptr;
        std::size_t bytes = 0;
        std::size_t result = 0;
        bool pending = false;
    };

    bool StartHelper();
    void HelperLoop();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    Job m_job;
    bool m_stop = false;
    bool m_helperTried = false;
    std::size_t m_sharedWindows = 0;
    Release m_release;
    std::thread m_helper;
};
