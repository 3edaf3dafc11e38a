#include "progressline.h"

#include <cstdio>
#include <unistd.h>

namespace {

constexpr auto kQuietStart = std::chrono::seconds(1);
constexpr auto kRedraw = std::chrono::milliseconds(100);

std::string Megabytes(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1 << 20));
    return text;
}

} // namespace

CProgressLine::CProgressLine(Mode mode, int fd) : m_mode(mode), m_fd(fd), m_terminal(isatty(fd) == 1) {}

CProgressLine::~CProgressLine() {
    Erase();
}

CProgress::Callback CProgressLine::Phase(std::string label) {
    return [this, label = std::move(label)](std::uint64_t done, std::uint64_t total) {
        Show(label, done, total);
    };
}

void CProgressLine::Show(const std::string& label, std::uint64_t done, std::uint64_t total) {
    if (m_mode == Mode::Never || (m_mode == Mode::Auto && !m_terminal)) {
        return;
    }
    const Clock::time_point now = Clock::now();
    const bool last = done >= total;
    if ((m_mode == Mode::Auto && now - m_start < kQuietStart) ||
        (m_shown && !last && now - m_lastDraw < kRedraw)) {
        return;
    }
    m_lastDraw = now;
    const double seconds = std::chrono::duration<double>(now - m_start).count();
    const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
    char speed[32];
    std::snprintf(speed, sizeof speed, "%.1f MB/s",
                  seconds > 0 ? static_cast<double>(done) / (1 << 20) / seconds : 0.0);
    std::string text = "\r" + label + " " + std::to_string(percent) + "%  " + Megabytes(done) + " of " +
                       Megabytes(total) + "  " + speed;
    // On a terminal the rest of an earlier, longer line is cleared.
    text += m_terminal ? "\x1b[K" : "   ";
    Put(text);
    m_shown = true;
}

void CProgressLine::Erase() {
    if (m_shown) {
        Put(m_terminal ? "\r\x1b[K" : "\n");
        m_shown = false;
    }
}

void CProgressLine::Put(const std::string& text) const {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = write(m_fd, text.data() + done, text.size() - done);
        if (n <= 0) {
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}
