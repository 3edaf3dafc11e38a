#pragma once

#include <cstdint>
#include <optional>

#include "compare/core/compengine.h"

class CCompLines;

// Where the bytes of one file lie among the rows of a comparison: file 1 in Same, Deleted and
// MoveFrom rows, file 2 in Same, New and MoveTo rows, each file's bytes in order down the rows.
// Found block by block, so a jump costs no more in a long equal stretch than in a short one.
class CSideRows {
public:
    // Whether rows of `kind` hold bytes of file `side` (0 or 1).
    static bool Holds(BlockKind kind, int side);
    // The row that holds byte `offset` of file `side`; none past the file's end.
    static std::optional<std::uint64_t> RowOf(const CCompLines& lines, int side, std::uint64_t offset);
    // A byte of file `side` at row `row`: `within` bytes into the row's part of that file (at most its
    // last byte) when the row holds that file, else the first byte of the nearest row below that does,
    // else the last byte above. None when the file has no bytes.
    static std::optional<std::uint64_t> ByteAt(const CCompLines& lines, int side, std::uint64_t row,
                                               std::uint64_t within);
};
