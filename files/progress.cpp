#include "progress.h"

#include <algorithm>

void CProgress::Start(std::uint64_t total, std::uint64_t step) {
    m_total = total;
    m_step = std::max<std::uint64_t>(step, 1);
    m_finished = false;
    // With nothing to tell and nothing to ask, Update never leaves its first comparison.
    m_next = m_callback || m_cancel != nullptr ? 0 : ~std::uint64_t{0};
}

bool CProgress::Report(std::uint64_t done) {
    m_next = done + m_step;
    if (m_callback && done < m_total) {
        m_callback(done, m_total);
    }
    return !IsCancelled();
}

void CProgress::Finish() {
    if (m_finished) {
        return;
    }
    m_finished = true;
    m_next = ~std::uint64_t{0};
    if (m_callback) {
        m_callback(m_total, m_total);
    }
}
