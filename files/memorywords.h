#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Word reads from any byte address, and rounding to page and huge-page boundaries.
template <typename T>
inline T LoadWord(const std::uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline std::size_t RoundUp(std::size_t n, std::size_t to) {
    return (n + to - 1) / to * to;
}
