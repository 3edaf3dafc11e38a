#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include <QRawFont>

class QPainter;

// The character grid of the hex views: cells 9 pixels wide in rows 16 pixels high, drawn with the
// bundled Liberation Mono at 15 pixels. Every glyph is placed at its computed cell, never where the
// font's own advance would put it, so every machine draws the same pixels.
class CCharGrid {
public:
    static constexpr int kCellWidth = 9;
    static constexpr int kRowHeight = 16;
    static constexpr int kBaseline = 13;
    static constexpr int kPixelSize = 15;

    CCharGrid();

    // Whether the font's own advance is the cell width; a different font would still draw in the
    // grid, but its glyphs might not fill their cells as intended.
    bool HasCellAdvance() const;
    bool IsValid() const { return m_font.isValid(); }

    // Text whose top-left cell is at (x, y), in the painter's pen colour. Characters are Latin-1.
    void DrawText(QPainter& painter, int x, int y, std::string_view text) const;
    // Offset as eight upper-case hex digits.
    void DrawOffset(QPainter& painter, int x, int y, std::uint64_t offset, int digits) const;
    // Bytes as "XX " cells, three characters each.
    void DrawHexBytes(QPainter& painter, int x, int y, const std::uint8_t* bytes, std::uint32_t count) const;
    // Bytes as one character each, control characters as ".".
    void DrawAnsiBytes(QPainter& painter, int x, int y, const std::uint8_t* bytes, std::uint32_t count) const;

private:
    void DrawGlyphs(QPainter& painter, int x, int y, const quint32* glyphs, const QPointF* positions,
                    int count) const;

    QRawFont m_font;
    std::array<quint32, 256> m_glyph{}; // glyph of each Latin-1 character
};
