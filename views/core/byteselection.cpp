#include "byteselection.h"

#include <algorithm>

void CByteSelection::SetFile(std::uint64_t size, std::uint64_t bytesPerLine) {
    m_size = size;
    m_line = std::max<std::uint64_t>(bytesPerLine, 1);
    m_anchor = std::min(m_anchor, m_size);
    m_caret = std::min(m_caret, m_size);
    if (IsEmpty()) {
        m_caret = m_anchor = std::min(m_caret, LastByte());
    }
}

std::uint64_t CByteSelection::CaretByte() const {
    return std::min(m_anchor < m_caret ? m_caret - 1 : m_caret, LastByte());
}

void CByteSelection::Move(Step step, bool extend, std::uint64_t pageLines) {
    if (!extend) {
        m_caret = m_anchor = CaretByte();
    }
    const std::uint64_t page = m_line * std::max<std::uint64_t>(pageLines, 1);
    const std::uint64_t column = m_caret % m_line;
    const auto back = [this](std::uint64_t by) { return m_caret > by ? m_caret - by : 0; };
    std::uint64_t to = m_caret;
    switch (step) {
    case Step::Left:
        to = back(1);
        break;
    case Step::Right:
        to = m_caret + 1;
        break;
    case Step::Up:
        to = back(m_line);
        break;
    case Step::Down:
        to = m_caret + m_line;
        break;
    case Step::PageUp:
        to = back(page);
        break;
    case Step::PageDown:
        to = m_caret + page;
        break;
    case Step::LineStart:
        to = m_caret - column;
        break;
    case Step::LineEnd:
        // With Shift the line's last byte is taken in.
        to = m_caret - column + m_line - (extend ? 0 : 1);
        break;
    case Step::FileStart:
        to = 0;
        break;
    case Step::FileEnd:
        to = extend ? m_size : LastByte();
        break;
    }
    // Past the end the caret stops at the last byte, or after it while selecting.
    m_caret = std::min(to, extend ? m_size : LastByte());
    if (!extend) {
        m_anchor = m_caret;
    }
}

void CByteSelection::PlaceAt(std::uint64_t byte) {
    m_caret = m_anchor = std::min(byte, LastByte());
}

void CByteSelection::ExtendTo(std::uint64_t byte) {
    // The byte the selection grew from: the one at its anchor end.
    std::uint64_t origin = m_caret;
    if (!IsEmpty()) {
        origin = m_anchor < m_caret ? m_anchor : m_anchor - 1;
    }
    origin = std::min(origin, LastByte());
    byte = std::min(byte, LastByte());
    if (m_size == 0) {
        return;
    }
    if (byte >= origin) {
        m_anchor = origin;
        m_caret = byte + 1;
    } else {
        m_anchor = origin + 1;
        m_caret = byte;
    }
}

void CByteSelection::Select(std::uint64_t start, std::uint64_t length) {
    m_anchor = std::min(start, m_size);
    m_caret = m_anchor + std::min(length, m_size - m_anchor);
    if (IsEmpty()) {
        PlaceAt(start);
    }
}
