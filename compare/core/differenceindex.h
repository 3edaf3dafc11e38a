#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "compengine.h"

// The differences (blocks other than Same) of a block list numbered in order from 0, for a list with
// a row for each. Only every 64th difference's block is kept, so a million differences cost a few
// pages, and any one is found by a walk of a few dozen blocks from the nearest mark.
class CDifferenceIndex {
public:
    CDifferenceIndex() = default;
    explicit CDifferenceIndex(const CompBlockList& blocks);

    std::uint64_t Count() const { return m_count; }
    // The position in `blocks`, the list the index was built from, of difference `n` (< Count()).
    std::size_t BlockOf(const CompBlockList& blocks, std::uint64_t n) const;

private:
    static constexpr std::uint64_t kStride = 64;

    std::vector<std::size_t> m_marks; // the block of difference k * kStride
    std::uint64_t m_count = 0;
};
