#pragma once

#include <cstdint>

// The caret and the selection in one file of a hex view. Caret and anchor stand between bytes, as in
// a text editor: the selection is the bytes between them, so three steps with Shift select three
// bytes, and only while selecting may the caret stand after the last byte. The caret is shown on a
// byte: the one after it, or the last selected when the selection grew forwards, so that it rests
// on the byte the keys or the pointer last reached.
class CByteSelection {
public:
    enum class Step { Left, Right, Up, Down, PageUp, PageDown, LineStart, LineEnd, FileStart, FileEnd };

    // A file of `size` bytes shown `bytesPerLine` to a line, a byte's column being its offset modulo
    // the line; caret and anchor are kept inside it.
    void SetFile(std::uint64_t size, std::uint64_t bytesPerLine);
    std::uint64_t Size() const { return m_size; }

    // Moves the caret; `extend` stretches the selection from where it started, otherwise it goes
    // and the caret moves from the byte it is shown on. A page is `pageLines` lines.
    void Move(Step step, bool extend, std::uint64_t pageLines = 1);
    // The caret on `byte`, nothing selected: a press of the pointer.
    void PlaceAt(std::uint64_t byte);
    // Selects from the byte the selection started at up to `byte`, both included: a drag or a
    // Shift+click.
    void ExtendTo(std::uint64_t byte);
    // Selects `length` bytes from `start`, with the caret on the last.
    void Select(std::uint64_t start, std::uint64_t length);

    std::uint64_t Caret() const { return m_caret; }
    // The byte the caret is shown on; 0 in an empty file.
    std::uint64_t CaretByte() const;
    std::uint64_t Anchor() const { return m_anchor; }
    bool IsEmpty() const { return m_anchor == m_caret; }
    std::uint64_t Start() const { return m_anchor < m_caret ? m_anchor : m_caret; }
    std::uint64_t Length() const { return m_anchor < m_caret ? m_caret - m_anchor : m_anchor - m_caret; }

private:
    std::uint64_t LastByte() const { return m_size == 0 ? 0 : m_size - 1; }

    std::uint64_t m_size = 0;
    std::uint64_t m_line = 1;
    std::uint64_t m_caret = 0;
    std::uint64_t m_anchor = 0;
};
