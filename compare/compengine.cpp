#include "compengine.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

template <typename T>
T Load(const std::uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <typename T>
std::int64_t FindWord(const std::uint8_t* p, std::uint64_t count, const std::uint8_t* needle) {
    const T n = Load<T>(needle);
    for (std::uint64_t i = 0; i < count; ++i) {
        if (Load<T>(p + i * sizeof(T)) == n) {
            return static_cast<std::int64_t>(i);
        }
    }
    return -1;
}

std::uint64_t CeilDiv(std::uint64_t a, std::uint64_t b) {
    return (a + b - 1) / b;
}

constexpr std::uint64_t kNone = std::numeric_limits<std::uint64_t>::max();

} // namespace

CCompEngine::CCompEngine(const std::uint8_t* buffer1, std::uint32_t size1, const std::uint8_t* buffer2,
                         std::uint32_t size2)
    : m_buffer1(buffer1), m_buffer2(buffer2), m_size1(size1), m_size2(size2) {}

bool CCompEngine::UnitsEqual(std::uint64_t pos1, std::uint64_t pos2) const {
    const std::uint8_t* a = m_buffer1 + pos1;
    const std::uint8_t* b = m_buffer2 + pos2;
    switch (m_unit) {
    case 1:
        return *a == *b;
    case 2:
        return Load<std::uint16_t>(a) == Load<std::uint16_t>(b);
    case 4:
        return Load<std::uint32_t>(a) == Load<std::uint32_t>(b);
    case 8:
        return Load<std::uint64_t>(a) == Load<std::uint64_t>(b);
    default:
        return std::memcmp(a, b, static_cast<std::size_t>(m_unit)) == 0;
    }
}

std::uint64_t CCompEngine::SkipPending(std::uint64_t pos) const {
    // Claimed blocks may lie back to back, so keep going until the position is free.
    while (!m_pending.empty()) {
        auto it = m_pending.upper_bound(pos);
        if (it == m_pending.begin()) {
            break;
        }
        --it;
        const std::uint64_t end = it->first + std::uint64_t{it->second.count} * m_unit;
        if (pos >= end) {
            break;
        }
        pos = end;
    }
    return pos;
}

std::uint64_t CCompEngine::Step2(std::uint64_t pos) const {
    return SkipPending(pos + m_unit);
}

std::uint64_t CCompEngine::NextPendingStart(std::uint64_t pos) const {
    const auto it = m_pending.upper_bound(pos);
    return it == m_pending.end() ? kNone : it->first;
}

std::uint64_t CCompEngine::CountEqualUnits(std::uint64_t pos1, std::uint64_t pos2,
                                           std::uint64_t maxUnits) {
    const std::uint64_t bytes = maxUnits * m_unit;
    return m_scanner.FirstDifference(m_buffer1 + pos1, m_buffer2 + pos2, bytes) / m_unit;
}

std::int64_t CCompEngine::FindUnit(const std::uint8_t* haystack, std::uint64_t first, std::uint64_t count,
                                   const std::uint8_t* needle) const {
    const std::uint8_t* p = haystack + first;
    switch (m_unit) {
    case 1: {
        const void* hit = std::memchr(p, *needle, count);
        return hit == nullptr ? -1 : static_cast<const std::uint8_t*>(hit) - p;
    }
    case 2:
        return FindWord<std::uint16_t>(p, count, needle);
    case 4:
        return FindWord<std::uint32_t>(p, count, needle);
    case 8:
        return FindWord<std::uint64_t>(p, count, needle);
    default: {
        const std::uint64_t lo = Load<std::uint64_t>(needle);
        const std::uint64_t hi = Load<std::uint64_t>(needle + 8);
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::uint8_t* q = p + i * 16;
            if (Load<std::uint64_t>(q) == lo && Load<std::uint64_t>(q + 8) == hi) {
                return static_cast<std::int64_t>(i);
            }
        }
        return -1;
    }
    }
}

// The nearest of the next `lookAhead` unclaimed file-2 positions after p2 that holds p1's unit.
std::int64_t CCompEngine::SearchFile2(std::uint64_t p1, std::uint64_t p2) const {
    std::uint64_t remaining = static_cast<std::uint64_t>(std::max(m_lookAhead, 0));
    const std::uint8_t* needle = m_buffer1 + p1;
    auto claimed = m_pending.upper_bound(p2);
    std::uint64_t next = p2 + m_unit;
    while (remaining > 0) {
        // One step jumps over claimed units without counting them.
        for (; claimed != m_pending.end() && claimed->first <= next; ++claimed) {
            next = std::max(next, claimed->first + std::uint64_t{claimed->second.count} * m_unit);
        }
        if (next >= m_size2) {
            return -1;
        }
        const std::uint64_t limit =
            claimed == m_pending.end() ? m_size2 : std::min<std::uint64_t>(claimed->first, m_size2);
        const std::uint64_t count = std::min(CeilDiv(limit - next, m_unit), remaining);
        const std::int64_t hit = FindUnit(m_buffer2, next, count, needle);
        if (hit >= 0) {
            return static_cast<std::int64_t>(next + static_cast<std::uint64_t>(hit) * m_unit);
        }
        remaining -= count;
        next += count * m_unit;
    }
    return -1;
}

// Whether p2's unit comes again within the next `lookAhead` units of file 1.
bool CCompEngine::SearchFile1(std::uint64_t p1, std::uint64_t p2) const {
    const std::uint64_t first = p1 + m_unit;
    if (m_lookAhead <= 0 || first >= m_size1) {
        return false;
    }
    const std::uint64_t count =
        std::min<std::uint64_t>(CeilDiv(m_size1 - first, m_unit), static_cast<std::uint64_t>(m_lookAhead));
    return FindUnit(m_buffer1, first, count, m_buffer2 + p2) >= 0;
}

// Move targets stand where the file-2 cursor passes them.
void CCompEngine::EmitPendingBefore(std::uint64_t pos2) {
    while (!m_pending.empty() && m_pending.begin()->first < pos2) {
        const auto& [start, pending] = *m_pending.begin();
        m_blocks.push_back({BlockKind::MoveTo, pending.count, static_cast<std::uint32_t>(start),
                            static_cast<std::uint32_t>(pending.source)});
        m_pending.erase(m_pending.begin());
        m_openDeleted = -1;
    }
}

// Appends `count` units, growing the last block instead when it continues it in both files.
void CCompEngine::AppendMergeable(BlockKind kind, std::uint64_t primary, std::uint64_t secondary,
                                  std::uint64_t count) {
    if (!m_blocks.empty()) {
        CompBlock& last = m_blocks.back();
        const std::uint64_t span = std::uint64_t{last.count} * m_unit;
        const bool secondaryContinues = secondary == CompBlock::kAbsent
                                            ? last.secondary == CompBlock::kAbsent
                                            : last.secondary != CompBlock::kAbsent &&
                                                  last.secondary + span == secondary;
        if (last.kind == kind && last.primary + span == primary && secondaryContinues) {
            last.count += static_cast<std::uint32_t>(count);
            return;
        }
    }
    m_blocks.push_back({kind, static_cast<std::uint32_t>(count), static_cast<std::uint32_t>(primary),
                        static_cast<std::uint32_t>(secondary)});
}

void CCompEngine::AppendSame(std::uint64_t pos1, std::uint64_t pos2, std::uint64_t count) {
    EmitPendingBefore(pos2);
    m_openDeleted = -1;
    AppendMergeable(BlockKind::Same, pos1, pos2, count);
}

// A New block leaves the open Deleted run open, so a changed stretch reads as one Deleted block
// followed by one New block.
void CCompEngine::AppendNew(std::uint64_t pos2, std::uint64_t count) {
    EmitPendingBefore(pos2);
    AppendMergeable(BlockKind::New, pos2, CompBlock::kAbsent, count);
}

void CCompEngine::AppendDeleted(std::uint64_t pos1, std::uint64_t count) {
    if (m_openDeleted >= 0) {
        m_blocks[static_cast<std::size_t>(m_openDeleted)].count += static_cast<std::uint32_t>(count);
        return;
    }
    m_blocks.push_back(
        {BlockKind::Deleted, static_cast<std::uint32_t>(count), static_cast<std::uint32_t>(pos1), CompBlock::kAbsent});
    m_openDeleted = static_cast<std::ptrdiff_t>(m_blocks.size() - 1);
}

void CCompEngine::AppendMoveFrom(std::uint64_t pos1, std::uint64_t pos2) {
    m_openDeleted = -1;
    AppendMergeable(BlockKind::MoveFrom, pos1, pos2, 1);
}

void CCompEngine::AppendMoveTo(std::uint64_t pos2, std::uint64_t pos1) {
    auto it = m_pending.lower_bound(pos2);
    if (it != m_pending.begin()) {
        --it;
        const std::uint64_t span = std::uint64_t{it->second.count} * m_unit;
        if (it->first + span == pos2 && it->second.source + span == pos1) {
            ++it->second.count;
            return;
        }
    }
    m_pending.emplace(pos2, Pending{1, pos1});
}

// New units from p2 to `end`, one block per stretch between claimed units.
void CCompEngine::AppendNewUpTo(std::uint64_t& p2, std::uint64_t end) {
    while (p2 < end) {
        const std::uint64_t limit = std::min(NextPendingStart(p2), end);
        const std::uint64_t count = CeilDiv(limit - p2, m_unit);
        AppendNew(p2, count);
        p2 = SkipPending(p2 + count * m_unit);
    }
}

void CCompEngine::Run() {
    const std::uint64_t u = static_cast<std::uint64_t>(m_unit);
    std::uint64_t p1 = 0;
    std::uint64_t p2 = 0;
    while (p1 < m_size1 && p2 < m_size2) {
        if (UnitsEqual(p1, p2)) {
            // A run of equal units ends at either file's end or before the next claimed unit.
            const std::uint64_t end2 = std::min(NextPendingStart(p2), m_size2);
            const std::uint64_t most = std::min(CeilDiv(m_size1 - p1, u), CeilDiv(end2 - p2, u));
            // At least one: the unit was just seen equal, even if the bytes change under us.
            const std::uint64_t count = std::max<std::uint64_t>(CountEqualUnits(p1, p2, most), 1);
            AppendSame(p1, p2, count);
            p1 += count * u;
            p2 = SkipPending(p2 + count * u);
            continue;
        }
        const std::int64_t q2 = SearchFile2(p1, p2);
        const bool foundInFile1 = SearchFile1(p1, p2);
        if (foundInFile1) {
            if (q2 >= 0) {
                AppendMoveFrom(p1, static_cast<std::uint64_t>(q2));
                AppendMoveTo(static_cast<std::uint64_t>(q2), p1);
            } else {
                AppendDeleted(p1, 1);
            }
            p1 += u;
        } else if (q2 >= 0) {
            AppendNew(p2, 1);
            p2 = Step2(p2);
        } else {
            AppendDeleted(p1, 1);
            AppendNew(p2, 1);
            p1 += u;
            p2 = Step2(p2);
        }
    }
    if (p1 < m_size1) {
        AppendDeleted(p1, CeilDiv(m_size1 - p1, u));
    }
    AppendNewUpTo(p2, m_size2);
    EmitPendingBefore(kNone);
}
