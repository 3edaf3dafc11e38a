#pragma once

#include <cstdint>
#include <vector>

#include "files/memorywords.h"

// The positions of a sliding window of units of 1 or 2 bytes, listed per unit value in file order,
// so that the first position of a value in the window is read at once instead of searched for. A
// position leaves the window only as the first of its value: the window moves on from its front,
// and a claimed position is always the first match of its value.
class CUnitPositions {
public:
    static constexpr std::uint64_t kNoPosition = ~std::uint64_t{0};

    // `capacity`: the most positions held at once.
    CUnitPositions(int unit, std::size_t capacity);

    // `U` is the unit the positions were made for.
    template <int U>
    static std::uint32_t Key(const std::uint8_t* unit) {
        static_assert(U == 1 || U == 2);
        if constexpr (U == 1) {
            return unit[0];
        } else {
            return LoadWord<std::uint16_t>(unit);
        }
    }
    std::uint64_t First(std::uint32_t key) const {
        const std::uint32_t node = m_head[key];
        return node == kNone ? kNoPosition : m_nodes[node].pos;
    }
    void Add(std::uint32_t key, std::uint64_t pos) {
        const std::uint32_t node = m_free;
        m_free = m_nodes[node].next;
        m_nodes[node] = {pos, kNone};
        std::uint32_t& tail = m_tail[key];
        (tail == kNone ? m_head[key] : m_nodes[tail].next) = node;
        tail = node;
    }
    void RemoveFirst(std::uint32_t key) {
        const std::uint32_t node = m_head[key];
        m_head[key] = m_nodes[node].next;
        if (m_head[key] == kNone) {
            m_tail[key] = kNone;
        }
        m_nodes[node].next = m_free;
        m_free = node;
    }

private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    struct Node {
        std::uint64_t pos;
        std::uint32_t next;
    };

    std::vector<std::uint32_t> m_head; // first and last node of each value
    std::vector<std::uint32_t> m_tail;
    std::vector<Node> m_nodes;
    std::uint32_t m_free = 0; // chain of unused nodes
};
