#pragma once

#include <cstddef>

// Memory for large arrays, advised for transparent huge pages: on these machines touching fresh 4 KiB
// pages one by one costs more than filling them. Small requests go to the ordinary heap.
class CHugePageMemory {
public:
    static constexpr std::size_t kHugePage = 2u << 20;

    // Null when the memory cannot be had.
    static void* Allocate(std::size_t bytes);
    // `bytes` as given to Allocate.
    static void Free(void* p, std::size_t bytes);
    // How much Allocate really maps for `bytes`, all of it usable.
    static std::size_t Extent(std::size_t bytes);

private:
    static bool IsLarge(std::size_t bytes) { return bytes >= kHugePage / 2; }
};
