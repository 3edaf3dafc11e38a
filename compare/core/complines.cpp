#include "complines.h"

#include <algorithm>
#include <bit>

namespace {

// The bytes a file has from `offset` on, at most `most`.
std::uint64_t Within(std::uint64_t most, std::uint64_t offset, std::uint64_t size) {
    return std::min(most, offset < size ? size - offset : 0);
}

} // namespace

CCompLines::CCompLines(CompBlockList blocks, int unit, std::uint64_t size1, std::uint64_t size2,
                       int bytesPerLine)
    : m_blocks(std::move(blocks)), m_bytesPerLine(static_cast<std::uint64_t>(std::max(bytesPerLine, 1))),
      m_lineShift(std::has_single_bit(m_bytesPerLine) ? std::countr_zero(m_bytesPerLine) : -1) {
    // Counts become bytes, cut at the files' ends. Only a Same block holding a file's last unit can
    // leave bytes of the other file: at most two blocks, each followed by the block of those bytes.
    const std::uint64_t unitBytes = static_cast<std::uint64_t>(std::max(unit, 1));
    std::vector<std::pair<std::size_t, CompBlock>> leftOver;
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        CompBlock& b = m_blocks[i];
        const std::uint64_t bytes = b.count * unitBytes;
        switch (b.kind) {
        case BlockKind::Same: {
            const std::uint64_t length1 = Within(bytes, b.primary, size1);
            const std::uint64_t length2 = Within(bytes, b.secondary, size2);
            b.count = std::min(length1, length2);
            if (length1 > b.count) {
                leftOver.push_back(
                    {i + 1,
                     {BlockKind::Deleted, length1 - b.count, b.primary + b.count, CompBlock::kAbsent}});
            } else if (length2 > b.count) {
                leftOver.push_back(
                    {i + 1, {BlockKind::New, length2 - b.count, b.secondary + b.count, CompBlock::kAbsent}});
            }
            break;
        }
        case BlockKind::Deleted:
        case BlockKind::MoveFrom:
            b.count = Within(bytes, b.primary, size1);
            break;
        case BlockKind::New:
        case BlockKind::MoveTo:
            b.count = Within(bytes, b.primary, size2);
            break;
        }
    }
    for (auto it = leftOver.rbegin(); it != leftOver.rend(); ++it) {
        m_blocks.insert(m_blocks.begin() + static_cast<std::ptrdiff_t>(it->first), it->second);
    }
    m_firstRow.reserve(m_blocks.size() + 1);
    std::uint64_t rows = 0;
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        m_firstRow.push_back(rows);
        rows += GeometryOf(i).rows;
    }
    m_firstRow.push_back(rows);
}

void CCompLines::RemoveAll() {
    m_blocks.clear();
    m_blocks.shrink_to_fit();
    m_firstRow.clear();
    m_firstRow.shrink_to_fit();
}

CCompLines::Geometry CCompLines::GeometryOf(std::size_t block) const {
    const CompBlock& b = m_blocks[block];
    const std::uint64_t line = m_bytesPerLine;
    Geometry g{};
    g.kind = b.kind;
    const bool hasFile1 = b.kind != BlockKind::New && b.kind != BlockKind::MoveTo;
    const bool hasFile2 = b.kind == BlockKind::Same || !hasFile1;
    g.offset1 = hasFile1 ? b.primary : 0;
    g.offset2 = b.kind == BlockKind::Same ? b.secondary : (hasFile2 ? b.primary : 0);
    g.length = b.count;
    if (g.length == 0) {
        return g;
    }
    // Distance from the block's start to the first line boundary of each side, in 1..L.
    const std::uint64_t first1 = line - Column(g.offset1);
    const std::uint64_t first2 = line - Column(g.offset2);
    auto boundariesBelow = [&](std::uint64_t cut) {
        return g.length > cut ? Lines(g.length - cut - 1) + 1 : 0;
    };
    if (b.kind == BlockKind::Same && first1 != first2) {
        g.twoCuts = true;
        g.cut1 = std::min(first1, first2);
        g.cut2 = std::max(first1, first2);
        g.rows = 1 + boundariesBelow(g.cut1) + boundariesBelow(g.cut2);
    } else {
        g.twoCuts = false;
        g.cut1 = g.cut2 = hasFile1 ? first1 : first2;
        g.rows = 1 + boundariesBelow(g.cut1);
    }
    return g;
}

// Distance of the k-th line boundary (from 0) from the block's start.
std::uint64_t CCompLines::CutAt(const Geometry& g, std::uint64_t k) const {
    if (!g.twoCuts) {
        return g.cut1 + k * m_bytesPerLine;
    }
    return ((k % 2 == 0) ? g.cut1 : g.cut2) + (k / 2) * m_bytesPerLine;
}

CompLine CCompLines::RowOf(const Geometry& g, std::uint64_t r) const {
    const std::uint64_t start = r == 0 ? 0 : CutAt(g, r - 1);
    const std::uint64_t end = std::min(CutAt(g, r), g.length);
    const bool hasFile1 = g.kind != BlockKind::New && g.kind != BlockKind::MoveTo;
    const bool hasFile2 = g.kind == BlockKind::Same || !hasFile1;
    return {g.kind, hasFile1 ? g.offset1 + start : 0, hasFile2 ? g.offset2 + start : 0,
            static_cast<std::uint32_t>(end - start)};
}

std::size_t CCompLines::BlockOfRow(std::uint64_t index) const {
    const auto it = std::upper_bound(m_firstRow.begin(), m_firstRow.end(), index);
    return static_cast<std::size_t>(it - m_firstRow.begin()) - 1;
}

CompLine CCompLines::GetAt(std::uint64_t index) const {
    const std::size_t block = BlockOfRow(index);
    return RowOf(GeometryOf(block), index - m_firstRow[block]);
}
