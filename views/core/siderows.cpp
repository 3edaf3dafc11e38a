#include "siderows.h"

#include <algorithm>

#include "compare/core/complines.h"

namespace {

// Where a block's part of file `side` starts.
std::uint64_t StartOf(const CompBlock& block, int side) {
    return side == 1 && block.kind == BlockKind::Same ? block.secondary : block.primary;
}

std::uint64_t SideOffset(const CompLine& row, int side) {
    return side == 0 ? row.offset1 : row.offset2;
}

} // namespace

bool CSideRows::Holds(BlockKind kind, int side) {
    if (kind == BlockKind::Same) {
        return true;
    }
    const bool file1 = kind == BlockKind::Deleted || kind == BlockKind::MoveFrom;
    return side == 0 ? file1 : !file1;
}

std::optional<std::uint64_t> CSideRows::RowOf(const CCompLines& lines, int side, std::uint64_t offset) {
    const CompBlockList& blocks = lines.Blocks();
    const auto holds = [&](std::size_t b) { return blocks[b].count != 0 && Holds(blocks[b].kind, side); };
    // The last block of the file that starts at or before the offset. Blocks of the other file are
    // stepped over from the middle on: they come in short runs between the file's own.
    std::size_t low = 0;
    std::size_t high = blocks.size();
    std::optional<std::size_t> found;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        std::size_t b = middle;
        while (b < high && !holds(b)) {
            ++b;
        }
        if (b < high && StartOf(blocks[b], side) <= offset) {
            found = b;
            low = b + 1;
        } else {
            high = middle;
        }
    }
    if (!found || offset - StartOf(blocks[*found], side) >= blocks[*found].count) {
        return std::nullopt;
    }
    // The block's rows of the file go down its bytes in order.
    std::uint64_t first = lines.FirstRowOf(*found);
    std::uint64_t last = lines.FirstRowOf(*found + 1) - 1;
    while (first < last) {
        const std::uint64_t middle = first + (last - first + 1) / 2;
        if (SideOffset(lines.GetAt(middle), side) <= offset) {
            first = middle;
        } else {
            last = middle - 1;
        }
    }
    return first;
}

std::optional<std::uint64_t> CSideRows::ByteAt(const CCompLines& lines, int side, std::uint64_t row,
                                               std::uint64_t within) {
    if (row >= lines.GetCount()) {
        return std::nullopt;
    }
    const CompLine line = lines.GetAt(row);
    if (Holds(line.kind, side) && line.length != 0) {
        return SideOffset(line, side) + std::min<std::uint64_t>(within, line.length - 1);
    }
    const CompBlockList& blocks = lines.Blocks();
    const std::size_t block = lines.BlockOfRow(row);
    for (std::size_t b = block + 1; b < blocks.size(); ++b) {
        if (blocks[b].count != 0 && Holds(blocks[b].kind, side)) {
            return StartOf(blocks[b], side);
        }
    }
    for (std::size_t b = block; b-- > 0;) {
        if (blocks[b].count != 0 && Holds(blocks[b].kind, side)) {
            return StartOf(blocks[b], side) + blocks[b].count - 1;
        }
    }
    return std::nullopt;
}
