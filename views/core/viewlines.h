#pragma once

#include <algorithm>
#include <cstdint>

// One display line of the viewer.
struct ViewLine {
    std::uint64_t offset;
    std::uint32_t length;

    friend bool operator==(const ViewLine&, const ViewLine&) = default;
};

// The viewer's lines of a file of `size` bytes at `length` bytes per line: every line but the last
// holds `length` bytes, the last the rest. Computed when asked for, so nothing grows with the line
// count.
class CViewLines {
public:
    CViewLines() = default;
    CViewLines(std::uint64_t size, std::uint32_t length)
        : m_size(size), m_length(std::max<std::uint32_t>(length, 1)) {}

    std::uint64_t GetCount() const { return (m_size + m_length - 1) / m_length; }
    ViewLine GetAt(std::uint64_t index) const {
        const std::uint64_t offset = index * m_length;
        return {offset, static_cast<std::uint32_t>(std::min<std::uint64_t>(m_length, m_size - offset))};
    }
    std::uint32_t LineLength() const { return m_length; }
    std::uint64_t Size() const { return m_size; }

private:
    std::uint64_t m_size = 0;
    std::uint32_t m_length = 1;
};
