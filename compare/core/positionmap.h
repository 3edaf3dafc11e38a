#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

// A hash map from file positions to small values, for the few hundred entries a comparison keeps
// at a time: one flat array, linear probing, no allocation once it has grown. Positions never reach
// 2^64 - 1, which marks a free slot.
template <typename Value>
class CPositionMap {
public:
    CPositionMap() { Rehash(16); }

    std::size_t Size() const { return m_size; }

    Value* Find(std::uint64_t key) {
        for (std::size_t i = Home(key);; i = (i + 1) & m_mask) {
            if (m_slots[i].key == key) {
                return &m_slots[i].value;
            }
            if (m_slots[i].key == kFree) {
                return nullptr;
            }
        }
    }

    // `key` must not be in the map.
    void Insert(std::uint64_t key, Value value) {
        if (2 * (m_size + 1) > m_slots.size()) {
            Rehash(2 * m_slots.size());
        }
        Place(key, value);
        ++m_size;
    }

    // `key` must be in the map. Later entries of the probe run move back into the hole, so lookups
    // never need markers of erased entries.
    void Erase(std::uint64_t key) {
        std::size_t hole = Home(key);
        while (m_slots[hole].key != key) {
            hole = (hole + 1) & m_mask;
        }
        for (std::size_t i = (hole + 1) & m_mask; m_slots[i].key != kFree; i = (i + 1) & m_mask) {
            const std::size_t home = Home(m_slots[i].key);
            if (((i - home) & m_mask) >= ((i - hole) & m_mask)) {
                m_slots[hole] = m_slots[i];
                hole = i;
            }
        }
        m_slots[hole].key = kFree;
        --m_size;
    }

private:
    static constexpr std::uint64_t kFree = ~std::uint64_t{0};

    struct Slot {
        std::uint64_t key = kFree;
        Value value{};
    };

    // Fibonacci hashing: positions that are multiples of a unit still spread over all slots.
    std::size_t Home(std::uint64_t key) const {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> m_shift);
    }

    void Place(std::uint64_t key, Value value) {
        std::size_t i = Home(key);
        while (m_slots[i].key != kFree) {
            i = (i + 1) & m_mask;
        }
        m_slots[i] = {key, value};
    }

    void Rehash(std::size_t capacity) {
        std::vector<Slot> old(capacity);
        old.swap(m_slots);
        m_mask = capacity - 1;
        m_shift = 64 - std::countr_zero(capacity);
        for (const Slot& s : old) {
            if (s.key != kFree) {
                Place(s.key, s.value);
            }
        }
    }

    std::vector<Slot> m_slots;
    std::size_t m_mask = 0;
    int m_shift = 0;
    std::size_t m_size = 0;
};
