#include "hugepagememory.h"

#include <cstdint>
#include <new>
#include <sys/mman.h>
#include <unistd.h>

#include "memorywords.h"

namespace {} // namespace

std::size_t CHugePageMemory::Extent(std::size_t bytes) {
    return IsLarge(bytes) ? RoundUp(bytes, kHugePage) : bytes;
}

void* CHugePageMemory::Allocate(std::size_t bytes) {
    if (!IsLarge(bytes)) {
        return ::operator new(bytes, std::nothrow);
    }
    // Over-allocate by one huge page so the start can be aligned to one, then give back the ends.
    const std::size_t length = Extent(bytes);
    void* raw = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) {
        return nullptr;
    }
    auto* base = static_cast<std::uint8_t*>(raw);
    auto* aligned =
        reinterpret_cast<std::uint8_t*>(RoundUp(reinterpret_cast<std::uintptr_t>(base), kHugePage));
    if (aligned > base) {
        munmap(base, static_cast<std::size_t>(aligned - base));
    }
    const std::size_t tail = static_cast<std::size_t>((base + length + kHugePage) - (aligned + length));
    if (tail > 0) {
        munmap(aligned + length, tail);
    }
    madvise(aligned, length, MADV_HUGEPAGE);
    return aligned;
}

void CHugePageMemory::Free(void* p, std::size_t bytes) {
    if (p == nullptr) {
        return;
    }
    if (!IsLarge(bytes)) {
        ::operator delete(p);
        return;
    }
    munmap(p, Extent(bytes));
}
