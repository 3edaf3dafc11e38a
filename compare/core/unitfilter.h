#pragma once

#include <cstdint>
#include <vector>

#include "files/memorywords.h"

// Counts the units of a sliding window by a digest of their bytes. A zero count proves that a unit is
// not in the window, which settles most searches of the comparison without looking at the window at
// all. For units of 1 and 2 bytes the digest is the unit itself, so a count also proves that it is
// there.
class CUnitFilter {
public:
    explicit CUnitFilter(int unit);

    // `U` is the unit the filter was made for, known where the engine is compiled for it.
    template <int U>
    void Add(const std::uint8_t* unit) {
        ++m_counts[Digest<U>(unit)];
    }
    template <int U>
    void Remove(const std::uint8_t* unit) {
        --m_counts[Digest<U>(unit)];
    }
    template <int U>
    bool MayContain(const std::uint8_t* unit) const {
        return m_counts[Digest<U>(unit)] != 0;
    }

private:
    template <int U>
    static std::uint32_t Digest(const std::uint8_t* unit) {
        constexpr std::uint64_t kMix = 0x9E3779B97F4A7C15ull;
        if constexpr (U == 1) {
            return unit[0];
        } else if constexpr (U == 2) {
            return LoadWord<std::uint16_t>(unit);
        } else if constexpr (U == 4) {
            return static_cast<std::uint32_t>((LoadWord<std::uint32_t>(unit) * kMix) >> 48);
        } else if constexpr (U == 8) {
            return static_cast<std::uint32_t>((LoadWord<std::uint64_t>(unit) * kMix) >> 48);
        } else {
            return static_cast<std::uint32_t>(((LoadWord<std::uint64_t>(unit) ^
                                                (LoadWord<std::uint64_t>(unit + 8) * 0xC2B2AE3D27D4EB4Full)) *
                                               kMix) >>
                                              48);
        }
    }

    // A window holds at most 100 units, so a byte counts them.
    std::vector<std::uint8_t> m_counts;
};
