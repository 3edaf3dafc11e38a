#pragma once

#include <cstdint>
#include <optional>

class CCompLines;

// Previous and Next change of the compare view: a change is a run of difference rows of one kind.
// The walks go block by block, since all rows of a block share its kind, so a jump over a long equal
// stretch costs no more than over a short one.
class CChangeNavigator {
public:
    // The first row of the next difference run after the run holding `top`; none at the last.
    static std::optional<std::uint64_t> Next(const CCompLines& lines, std::uint64_t top);
    // The first row of the difference run holding the row above `top`, or, when that row is a Same
    // row, of the nearest difference run above it; none when there is none.
    static std::optional<std::uint64_t> Previous(const CCompLines& lines, std::uint64_t top);
};
