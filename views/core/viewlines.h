#pragma once

#include <algorithm>
#include <cstdint>

// One display line of the viewer.
struct ViewLine {
    std::uint32_t offset;
    std::uint32_t length;

    friend bool operator==(const ViewLine&, const ViewLine&) = default;
};

// The viewer's lines of a file of `size` bytes at `length` bytes per line: every line but the last
// holds `length` bytes, the last the rest. Computed when asked for, so nothing grows with the line
// count.
class CViewLines {
public:
    CViewLines() = default;
    CViewLines(std::uint32_t size, std::uint32_t length)
        : m_size(size), m_length(std::max<std::uint32_t>(length, 1)) {}

    std::uint32_t GetCount() const {
        return static_cast<std::uint32_t>((std::uint64_t{m_size} + m_length - 1) / m_length);
    }
    ViewLine GetAt(std::uint32_t index) const {
        const std::uint32_t offset = index * m_length;
        return {offset, std::min(m_length, m_size - offset)};
    }
    std::uint32_t LineLength() const { return m_length; }

private:
    std::uint32_t m_size = 0;
    std::uint32_t m_length = 1;
};
