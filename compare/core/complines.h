#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "compengine.h"

// One row of a compare result: one display line of the compare view and one line of the log. Offsets
// are 0 on the side a row does not have (file 1 for New and MoveTo, file 2 for Deleted and MoveFrom).
struct CompLine {
    BlockKind kind;
    std::uint64_t offset1;
    std::uint64_t offset2;
    std::uint32_t length; // at most a line

    friend bool operator==(const CompLine&, const CompLine&) = default;
};

// The rows of a compare result, in display order. Each block is cut into rows at the line boundaries
// of every side it has; a row is computed from its block when asked for, so memory grows with the
// number of blocks, not with the size of the files.
//
// Rows show exactly the files' bytes: a unit that reaches past a file's end was compared with zeros,
// but no row holds such a zero. Every block is cut at its files' ends, and a Same block whose last
// unit matched bytes of one file against the other's padding shows the bytes both files have as Same,
// and the longer file's bytes left in it as a Deleted (file 1) or New (file 2) block of their own. So
// every byte of each file lies in exactly one row.
class CCompLines {
public:
    CCompLines() = default;
    // `blocks` as the engine made them, or any run of them in order (the log takes them in batches).
    CCompLines(CompBlockList blocks, int unit, std::uint64_t size1, std::uint64_t size2, int bytesPerLine);

    std::uint64_t GetCount() const { return m_firstRow.empty() ? 0 : m_firstRow.back(); }
    bool IsEmpty() const { return GetCount() == 0; }
    // Logarithmic in the number of blocks.
    CompLine GetAt(std::uint64_t index) const;
    // Calls f(const CompLine&) for rows [first, last) in order, in constant time per row, until f
    // returns false.
    template <typename F>
    void ForEach(std::uint64_t first, std::uint64_t last, F&& f) const;

    // Rows of one block share its kind: walks over kinds go block by block through these. They are the
    // blocks as the rows show them: counts in bytes, cut at the files' ends, a Same block split where
    // one file ends.
    const CompBlockList& Blocks() const { return m_blocks; }
    // The block row `index` (< GetCount()) comes from, and the first row of block `block` (its end
    // for block == Blocks().size()).
    std::size_t BlockOfRow(std::uint64_t index) const;
    std::uint64_t FirstRowOf(std::size_t block) const { return m_firstRow[block]; }
    int BytesPerLine() const { return m_bytesPerLine; }
    void RemoveAll();

private:
    // Where a block's rows lie: byte length and the side offsets, with the distances from the block's
    // start at which its rows are cut.
    struct Geometry {
        BlockKind kind;
        std::uint64_t offset1;
        std::uint64_t offset2;
        std::uint64_t length;
        std::uint64_t cut1; // first and second kind of line boundary, both in 1..L
        std::uint64_t cut2;
        bool twoCuts; // the two sides' boundaries fall in different columns
        std::uint64_t rows;
    };

    // Offset within a line and whole lines in a length: shifts and masks for the usual powers of two,
    // as a million blocks a second each needs a few of them.
    std::uint64_t Column(std::uint64_t offset) const {
        return m_lineShift >= 0 ? offset & (m_bytesPerLine - 1) : offset % m_bytesPerLine;
    }
    std::uint64_t Lines(std::uint64_t length) const {
        return m_lineShift >= 0 ? length >> m_lineShift : length / m_bytesPerLine;
    }
    Geometry GeometryOf(std::size_t block) const;
    std::uint64_t CutAt(const Geometry& g, std::uint64_t k) const;
    CompLine RowOf(const Geometry& g, std::uint64_t r) const;

    CompBlockList m_blocks;
    // Block i's rows start at m_firstRow[i]; one entry more than blocks. As large as the blocks, and
    // as costly to fault in page by page.
    std::vector<std::uint64_t, CHugePageAllocator<std::uint64_t>> m_firstRow;
    std::uint64_t m_bytesPerLine = 1;
    int m_lineShift = 0; // log2 of the line when a power of two, else -1
};

template <typename F>
void CCompLines::ForEach(std::uint64_t first, std::uint64_t last, F&& f) const {
    last = std::min(last, GetCount());
    if (first >= last) {
        return;
    }
    std::size_t block = BlockOfRow(first);
    std::uint64_t r = first - m_firstRow[block];
    for (std::uint64_t index = first; index < last; ++block, r = 0) {
        const Geometry g = GeometryOf(block);
        for (; r < g.rows && index < last; ++r, ++index) {
            if (!f(RowOf(g, r))) {
                return;
            }
        }
    }
}
