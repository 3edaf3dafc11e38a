#include "changenavigator.h"

#include "compare/core/complines.h"

std::optional<std::uint64_t> CChangeNavigator::Next(const CCompLines& lines, std::uint64_t top) {
    if (top >= lines.GetCount()) {
        return std::nullopt;
    }
    std::size_t block = lines.BlockOfRow(top);
    BlockKind current = lines.Blocks()[block].kind;
    // The rest of the top row's block has its kind; blocks without rows are passed over.
    for (++block; block < lines.Blocks().size(); ++block) {
        if (lines.FirstRowOf(block) == lines.FirstRowOf(block + 1)) {
            continue;
        }
        const BlockKind kind = lines.Blocks()[block].kind;
        if (kind != current) {
            if (kind != BlockKind::Same) {
                return lines.FirstRowOf(block);
            }
            current = BlockKind::Same;
        }
    }
    return std::nullopt;
}

std::optional<std::uint64_t> CChangeNavigator::Previous(const CCompLines& lines, std::uint64_t top) {
    if (top == 0 || top > lines.GetCount()) {
        return std::nullopt;
    }
    std::size_t block = lines.BlockOfRow(top - 1);
    BlockKind current = lines.Blocks()[block].kind;
    for (;;) {
        // Step back to the start of the run of `current`, across blocks of the same kind.
        std::size_t start = block;
        while (start > 0 && (lines.FirstRowOf(start - 1) == lines.FirstRowOf(start) ||
                             lines.Blocks()[start - 1].kind == current)) {
            --start;
        }
        while (lines.FirstRowOf(start) == lines.FirstRowOf(start + 1)) {
            ++start; // the run's first block with rows
        }
        if (current != BlockKind::Same) {
            return lines.FirstRowOf(start);
        }
        if (lines.FirstRowOf(start) == 0) {
            return std::nullopt;
        }
        block = lines.BlockOfRow(lines.FirstRowOf(start) - 1);
        current = lines.Blocks()[block].kind;
    }
}
