#pragma once

#include <chrono>
#include <string>

#include "files/progress.h"

// A one-line progress display on standard error for long comparisons and logs: percent, bytes and
// speed, redrawn in place and erased when the work is done. By default it appears only on a terminal
// and only once the work has run for a second; it can be forced or silenced. Standard output is never
// touched.
class CProgressLine {
public:
    enum class Mode { Auto, Always, Never };

    CProgressLine(Mode mode, int fd);
    CProgressLine(const CProgressLine&) = delete;
    CProgressLine& operator=(const CProgressLine&) = delete;
    ~CProgressLine();

    // The callback for one phase of the work, shown under `label` ("Comparing").
    CProgress::Callback Phase(std::string label);

private:
    using Clock = std::chrono::steady_clock;

    void Show(const std::string& label, std::uint64_t done, std::uint64_t total);
    void Erase();
    void Put(const std::string& text) const;

    Mode m_mode;
    int m_fd;
    bool m_terminal;
    Clock::time_point m_start = Clock::now();
    Clock::time_point m_lastDraw{};
    bool m_shown = false;
};
