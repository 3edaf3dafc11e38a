#pragma once

#include <cstdint>
#include <vector>

// Counts the units of a sliding window by a 16-bit digest of their bytes. A zero count proves that a
// unit is not in the window, which settles most searches of the comparison without looking at the
// window at all. For units of 1 and 2 bytes the digest is the unit itself, so a count also proves
// that it is there.
class CUnitFilter {
public:
    explicit CUnitFilter(int unit);

    void Add(const std::uint8_t* unit) { ++m_counts[Digest(unit)]; }
    void Remove(const std::uint8_t* unit) { --m_counts[Digest(unit)]; }
    bool MayContain(const std::uint8_t* unit) const { return m_counts[Digest(unit)] != 0; }
    bool IsExact() const { return m_unit <= 2; }

private:
    std::uint32_t Digest(const std::uint8_t* unit) const;

    int m_unit;
    // A window holds at most 100 units, so a byte counts them.
    std::vector<std::uint8_t> m_counts;
};
