#include "unitfilter.h"

#include <cstring>

namespace {

template <typename T>
T Load(const std::uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

} // namespace

CUnitFilter::CUnitFilter(int unit) : m_unit(unit), m_counts(1u << 16, 0) {}

std::uint32_t CUnitFilter::Digest(const std::uint8_t* unit) const {
    constexpr std::uint64_t kMix = 0x9E3779B97F4A7C15ull;
    switch (m_unit) {
    case 1:
        return unit[0];
    case 2:
        return Load<std::uint16_t>(unit);
    case 4:
        return static_cast<std::uint32_t>((Load<std::uint32_t>(unit) * kMix) >> 48);
    case 8:
        return static_cast<std::uint32_t>((Load<std::uint64_t>(unit) * kMix) >> 48);
    default: {
        const std::uint64_t mixed =
            Load<std::uint64_t>(unit) ^ (Load<std::uint64_t>(unit + 8) * 0xC2B2AE3D27D4EB4Full);
        return static_cast<std::uint32_t>((mixed * kMix) >> 48);
    }
    }
}
