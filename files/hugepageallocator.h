#pragma once

#include <cstddef>
#include <new>

#include "hugepagememory.h"

// A standard allocator over CHugePageMemory, for containers that may grow to hundreds of megabytes.
template <typename T>
class CHugePageAllocator {
public:
    using value_type = T;

    CHugePageAllocator() = default;
    template <typename U>
    CHugePageAllocator(const CHugePageAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        void* p = CHugePageMemory::Allocate(n * sizeof(T));
        if (p == nullptr) {
            throw std::bad_alloc();
        }
        return static_cast<T*>(p);
    }
    void deallocate(T* p, std::size_t n) noexcept { CHugePageMemory::Free(p, n * sizeof(T)); }

    template <typename U>
    friend bool operator==(const CHugePageAllocator&, const CHugePageAllocator<U>&) noexcept {
        return true;
    }
};
