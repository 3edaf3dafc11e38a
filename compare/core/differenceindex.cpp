#include "differenceindex.h"

#include "differenceline.h"

CDifferenceIndex::CDifferenceIndex(const CompBlockList& blocks) {
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        if (CDifferenceLine::IsDifference(blocks[i])) {
            if (m_count % kStride == 0) {
                m_marks.push_back(i);
            }
            ++m_count;
        }
    }
}

std::size_t CDifferenceIndex::BlockOf(const CompBlockList& blocks, std::uint64_t n) const {
    std::size_t block = m_marks[n / kStride];
    for (std::uint64_t left = n % kStride; left > 0;) {
        if (CDifferenceLine::IsDifference(blocks[++block])) {
            --left;
        }
    }
    return block;
}
