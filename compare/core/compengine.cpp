#include "compengine.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <new>

#include "files/filebuffer.h"
#include "files/memorywords.h"
#include "files/progress.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

template <typename T>
std::int64_t FindWord(const std::uint8_t* p, std::uint64_t count, const std::uint8_t* needle) {
    const T n = LoadWord<T>(needle);
    for (std::uint64_t i = 0; i < count; ++i) {
        if (LoadWord<T>(p + i * sizeof(T)) == n) {
            return static_cast<std::int64_t>(i);
        }
    }
    return -1;
}

std::uint64_t CeilDiv(std::uint64_t a, std::uint64_t b) {
    return (a + b - 1) / b;
}

constexpr std::uint64_t kNone = std::numeric_limits<std::uint64_t>::max();

template <int U>
constexpr int kShiftOf = std::countr_zero(static_cast<unsigned>(U));

// Bit i is set where p[i] == value, for i in 0..63.
std::uint64_t ByteMatches(const std::uint8_t* p, std::uint8_t value) {
    std::uint64_t mask = 0;
#if defined(__SSE2__)
    const __m128i needle = _mm_set1_epi8(static_cast<char>(value));
    for (int i = 0; i < 4; ++i) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        const auto bits = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, needle)));
        mask |= std::uint64_t{bits} << (16 * i);
    }
#else
    for (int i = 0; i < 64; ++i) {
        mask |= std::uint64_t{p[i] == value} << i;
    }
#endif
    return mask;
}

// The bits of `word` from bit `from` up to, not including, bit `to`.
std::uint64_t BitRange(std::uint64_t word, std::uint64_t from, std::uint64_t to) {
    const std::uint64_t high = to >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << to) - 1;
    return word & high & (~std::uint64_t{0} << from);
}

} // namespace

CCompEngine::CCompEngine(const std::uint8_t* buffer1, std::uint64_t size1, const std::uint8_t* buffer2,
                         std::uint64_t size2)
    : m_buffer1(buffer1), m_buffer2(buffer2), m_size1(size1), m_size2(size2) {}

template <int U>
bool CCompEngine::UnitsEqual(std::uint64_t pos1, std::uint64_t pos2) const {
    const std::uint8_t* a = m_buffer1 + pos1;
    const std::uint8_t* b = m_buffer2 + pos2;
    if constexpr (U == 1) {
        return *a == *b;
    } else if constexpr (U == 2) {
        return LoadWord<std::uint16_t>(a) == LoadWord<std::uint16_t>(b);
    } else if constexpr (U == 4) {
        return LoadWord<std::uint32_t>(a) == LoadWord<std::uint32_t>(b);
    } else if constexpr (U == 8) {
        return LoadWord<std::uint64_t>(a) == LoadWord<std::uint64_t>(b);
    } else {
        return LoadWord<std::uint64_t>(a) == LoadWord<std::uint64_t>(b) &&
               LoadWord<std::uint64_t>(a + 8) == LoadWord<std::uint64_t>(b + 8);
    }
}

template <int U>
std::uint64_t CCompEngine::CountEqualUnits(std::uint64_t pos1, std::uint64_t pos2, std::uint64_t maxUnits) {
    const std::uint64_t bytes = maxUnits << kShiftOf<U>;
    return m_scanner.FirstDifference(m_buffer1 + pos1, m_buffer2 + pos2, bytes) >> kShiftOf<U>;
}

inline void CCompEngine::Claim(std::uint64_t pos) {
    if (m_claimed.empty()) {
        m_claimed.assign(CeilDiv(m_units2, 64), 0);
    }
    const std::uint64_t unit = pos >> m_shift;
    m_claimed[unit / 64] |= std::uint64_t{1} << (unit % 64);
}

// The first position at or after `pos` that is not claimed: claimed blocks may lie back to back.
template <int U>
std::uint64_t CCompEngine::SkipClaimedRun(std::uint64_t pos) const {
    std::uint64_t unit = pos >> kShiftOf<U>;
    while (unit < m_units2) {
        const int run = std::countr_one(ClaimedWord(unit / 64) >> (unit % 64));
        unit += static_cast<std::uint64_t>(run);
        if (run == 0 || unit % 64 != 0) {
            break;
        }
    }
    return std::max(pos, unit << kShiftOf<U>);
}

// Only asked while a claimed unit lies within about a window of `pos`, so the scan stays short.
std::uint64_t CCompEngine::FirstClaimedFrom(std::uint64_t pos) const {
    std::uint64_t unit = pos >> m_shift;
    for (std::uint64_t word = unit / 64; word * 64 < m_units2; ++word) {
        const std::uint64_t claimed = BitRange(ClaimedWord(word), word == unit / 64 ? unit % 64 : 0, 64);
        if (claimed != 0) {
            return (word * 64 + static_cast<std::uint64_t>(std::countr_zero(claimed))) << m_shift;
        }
    }
    return kNone;
}

// File-1 units p1 + u to p1 + N·u, as far as the file goes.
template <int U>
void CCompEngine::SyncWindow1(std::uint64_t p1) {
    const std::uint64_t u = static_cast<std::uint64_t>(U);
    const std::uint64_t start = p1 + u;
    const std::uint64_t end = std::max(
        start, std::min(p1 + (static_cast<std::uint64_t>(m_lookAhead) + 1) * u, m_units1 << kShiftOf<U>));
    if constexpr (U <= 2) {
        // Exact units keep the last position of each value: no unit ever has to leave.
        for (std::uint64_t pos = std::max(start, m_window1End); pos < end; pos += u) {
            m_last1[CUnitPositions::Key<U>(m_buffer1 + pos)] = pos;
        }
        m_window1Start = start;
        m_window1End = std::max(end, m_window1End);
        return;
    }
    std::uint64_t addFrom = m_window1End;
    if (start < m_window1Start || start >= m_window1End) {
        for (std::uint64_t pos = m_window1Start; pos < m_window1End; pos += u) {
            m_filter1->Remove<U>(m_buffer1 + pos);
        }
        addFrom = start;
    } else {
        for (std::uint64_t pos = m_window1Start; pos < start; pos += u) {
            m_filter1->Remove<U>(m_buffer1 + pos);
        }
    }
    for (std::uint64_t pos = addFrom; pos < end; pos += u) {
        m_filter1->Add<U>(m_buffer1 + pos);
    }
    m_window1Start = start;
    m_window1End = end;
}

template <int U>
bool CCompEngine::Window1MayHold(std::uint64_t p1, const std::uint8_t* unit) const {
    if constexpr (U <= 2) {
        return m_last1[CUnitPositions::Key<U>(unit)] > p1;
    } else {
        return m_filter1->MayContain<U>(unit);
    }
}

// Whether p2's unit comes again within the next N units of file 1.
template <int U>
bool CCompEngine::SearchFile1(std::uint64_t p1, std::uint64_t p2) {
    if (m_lookAhead <= 0 || p1 + U >= m_size1) {
        return false;
    }
    SyncWindow1<U>(p1);
    const std::uint8_t* needle = m_buffer2 + p2;
    if constexpr (U <= 2) {
        return Window1MayHold<U>(p1, needle);
    } else {
        if (!m_filter1->MayContain<U>(needle)) {
            return false;
        }
        const std::uint64_t count = (m_window1End - m_window1Start) >> kShiftOf<U>;
        const std::uint8_t* p = m_buffer1 + m_window1Start;
        if constexpr (U == 4) {
            return FindWord<std::uint32_t>(p, count, needle) >= 0;
        } else if constexpr (U == 8) {
            return FindWord<std::uint64_t>(p, count, needle) >= 0;
        } else {
            for (std::uint64_t i = 0; i < count; ++i) {
                if (std::memcmp(p + i * 16, needle, 16) == 0) {
                    return true;
                }
            }
            return false;
        }
    }
}

// Adds unclaimed file-2 units from the window's end until it holds N of them or the file ends.
template <int U>
void CCompEngine::FillWindow2() {
    const std::uint64_t n = static_cast<std::uint64_t>(m_lookAhead);
    std::uint64_t pos = SkipClaimed<U>(m_window2End);
    while (m_window2Count < n && pos < m_size2) {
        EnterWindow2<U>(pos);
        pos = SkipClaimed<U>(pos + U);
    }
    m_window2End = pos;
}

template <int U>
void CCompEngine::EnterWindow2(std::uint64_t pos) {
    if constexpr (U <= 2) {
        m_positions2->Add(CUnitPositions::Key<U>(m_buffer2 + pos), pos);
    } else {
        m_filter2->Add<U>(m_buffer2 + pos);
    }
    ++m_window2Count;
}

// Units leave in file order or as the first match of a search, so each is the first of its value.
template <int U>
void CCompEngine::LeaveWindow2(std::uint64_t pos) {
    if constexpr (U <= 2) {
        m_positions2->RemoveFirst(CUnitPositions::Key<U>(m_buffer2 + pos));
    } else {
        m_filter2->Remove<U>(m_buffer2 + pos);
    }
    --m_window2Count;
}

template <int U>
bool CCompEngine::Window2MayHold(const std::uint8_t* unit) const {
    if constexpr (U <= 2) {
        return m_positions2->First(CUnitPositions::Key<U>(unit)) != CUnitPositions::kNoPosition;
    } else {
        return m_filter2->MayContain<U>(unit);
    }
}

// The next N unclaimed file-2 units after p2: the units a search from p2 steps onto.
template <int U>
void CCompEngine::MoveWindow2(std::uint64_t p2) {
    const std::uint64_t u = static_cast<std::uint64_t>(U);
    const bool slide = m_window2Valid && p2 > m_window2P2 && p2 < m_window2End;
    // Units that leave: those up to p2, or all of them. Claimed units left when they were claimed.
    const std::uint64_t leaveEnd = slide ? p2 + u : m_window2End;
    if (m_window2Valid) {
        for (std::uint64_t pos = SkipClaimed<U>(m_window2P2 + u); pos < leaveEnd;
             pos = SkipClaimed<U>(pos + u)) {
            LeaveWindow2<U>(pos);
        }
    }
    if (!slide) {
        m_window2End = p2 + u;
    }
    m_window2P2 = p2;
    m_window2Valid = true;
    FillWindow2<U>();
}

// The nearest of the next N unclaimed file-2 positions after p2 that holds p1's unit.
template <int U>
std::int64_t CCompEngine::SearchFile2(std::uint64_t p1, std::uint64_t p2) {
    if (m_lookAhead <= 0) {
        return -1;
    }
    SyncWindow2<U>(p2);
    const std::uint8_t* needle = m_buffer1 + p1;
    if constexpr (U <= 2) {
        const std::uint64_t first = m_positions2->First(CUnitPositions::Key<U>(needle));
        return first == CUnitPositions::kNoPosition ? -1 : static_cast<std::int64_t>(first);
    }
    if (!m_filter2->MayContain<U>(needle)) {
        return -1;
    }
    // The window's units are the unclaimed ones between p2 and its end: scan them a word of the
    // claimed bitmap at a time.
    const std::uint64_t first = (p2 >> kShiftOf<U>)+1;
    const std::uint64_t last = m_window2End >> kShiftOf<U>;
    for (std::uint64_t word = first / 64; word * 64 < last; ++word) {
        const std::uint64_t base = word * 64;
        std::uint64_t free = BitRange(~ClaimedWord(word), std::max(first, base) - base, last - base);
        if (U == 1) {
            free &= ByteMatches(m_buffer2 + base, *needle);
            if (free != 0) {
                return static_cast<std::int64_t>(base + static_cast<std::uint64_t>(std::countr_zero(free)));
            }
            continue;
        }
        for (; free != 0; free &= free - 1) {
            const std::uint64_t pos = (base + static_cast<std::uint64_t>(std::countr_zero(free)))
                                      << kShiftOf<U>;
            if (UnitsEqual<U>(p1, pos)) {
                return static_cast<std::int64_t>(pos);
            }
        }
    }
    return -1;
}

// How many steps in a row both cursors would take together through units that differ, with both
// searches failing (or switched off): after an insertion that puts the units out of step for good,
// that is the rest of the file. Only for when nothing is claimed, so that a file-2 step is one unit. A step
// the filters cannot settle ends the run, and the full searches take it.
template <int U>
std::uint64_t CCompEngine::ChangedRun(std::uint64_t p1, std::uint64_t p2) {
    const std::uint64_t u = static_cast<std::uint64_t>(U);
    std::uint64_t steps = 0;
    for (; p1 < m_size1 && p2 < m_size2 && !UnitsEqual<U>(p1, p2); ++steps, p1 += u, p2 += u) {
        if (m_lookAhead <= 0) {
            continue;
        }
        SyncWindow2<U>(p2);
        if (Window2MayHold<U>(m_buffer1 + p1)) {
            break;
        }
        if (p1 + u < m_size1) {
            SyncWindow1<U>(p1);
            if (Window1MayHold<U>(p1, m_buffer2 + p2)) {
                break;
            }
        }
    }
    return steps;
}

// Heavily changed files make a block every unit or two. Grown by doubling, the list would touch
// about twice its final size in fresh memory, and fresh memory is slow to touch: once it is big
// enough to tell, it grows at once to the size the work done so far points to.
void CCompEngine::GrowBlocks() {
    if (m_sink) {
        HandFinalBlocks(false);
        // Room for a stretch that must stay until it is final, and for the blocks after it.
        if (m_blocks.size() > m_blocks.capacity() / 2) {
            m_blocks.reserve(std::max<std::size_t>(m_blocks.capacity() * 2, 2));
        }
        return;
    }
    constexpr std::size_t kProjectFrom = std::size_t{1} << 16;
    const std::size_t size = m_blocks.size();
    if (size < kProjectFrom) {
        return;
    }
    const std::uint64_t done = std::max<std::uint64_t>(m_done, 1);
    const std::uint64_t projected = size * (m_size1 + m_size2) / done / 8 * 9;
    const std::uint64_t most = m_units1 + m_units2 + 2;
    const std::uint64_t wanted = std::min(std::max<std::uint64_t>(projected, size + size / 2), most);
    if (wanted <= size) {
        return;
    }
    try {
        m_blocks.reserve(static_cast<std::size_t>(wanted));
    } catch (const std::bad_alloc&) {
        // Too much address space at once: plain growth asks for less.
    }
}

// Only the last block can grow, and the open Deleted block, which New blocks may follow; pending
// moves are not in the list yet. Everything before both is final.
void CCompEngine::HandFinalBlocks(bool all) {
    std::size_t count = m_blocks.size();
    if (!all && count > 0) {
        count = std::min(count - 1, m_openDeleted >= 0 ? static_cast<std::size_t>(m_openDeleted) : count);
    }
    if (count == 0) {
        return;
    }
    // Once refused, blocks are dropped until the run stops.
    if (!m_sinkRefused && !m_sink(std::span<const CompBlock>(m_blocks.data(), count))) {
        m_sinkRefused = true;
    }
    m_blocks.erase(m_blocks.begin(), m_blocks.begin() + static_cast<std::ptrdiff_t>(count));
    m_openDeleted = m_openDeleted >= static_cast<std::ptrdiff_t>(count)
                        ? m_openDeleted - static_cast<std::ptrdiff_t>(count)
                        : -1;
}

// Move targets stand where the file-2 cursor passes them.
void CCompEngine::EmitPending(std::uint64_t pos2) {
    while (m_firstPending < pos2) {
        const std::uint64_t start = m_firstPending;
        const Pending pending = *m_pendingStarts.Find(start);
        PushBlock({BlockKind::MoveTo, pending.count, start, pending.source});
        const std::uint64_t end = start + (pending.count << m_shift);
        m_pendingStarts.Erase(start);
        m_pendingEnds.Erase(end);
        m_firstPending = m_pendingStarts.Size() == 0 ? kNone : FirstClaimedFrom(end);
        m_openDeleted = -1;
    }
}

// Appends `count` units, growing the last block instead when it continues it in both files.
inline void CCompEngine::AppendMergeable(BlockKind kind, std::uint64_t primary, std::uint64_t secondary,
                                         std::uint64_t count) {
    if (!m_blocks.empty()) {
        CompBlock& last = m_blocks.back();
        const std::uint64_t span = last.count << m_shift;
        const bool secondaryContinues =
            secondary == CompBlock::kAbsent
                ? last.secondary == CompBlock::kAbsent
                : last.secondary != CompBlock::kAbsent && last.secondary + span == secondary;
        if (last.kind == kind && last.primary + span == primary && secondaryContinues) {
            last.count += count;
            return;
        }
    }
    PushBlock({kind, count, primary, secondary});
}

inline void CCompEngine::AppendSame(std::uint64_t pos1, std::uint64_t pos2, std::uint64_t count) {
    EmitPendingBefore(pos2);
    m_openDeleted = -1;
    AppendMergeable(BlockKind::Same, pos1, pos2, count);
}

// A New block leaves the open Deleted run open, so a changed stretch reads as one Deleted block
// followed by one New block.
inline void CCompEngine::AppendNew(std::uint64_t pos2, std::uint64_t count) {
    EmitPendingBefore(pos2);
    AppendMergeable(BlockKind::New, pos2, CompBlock::kAbsent, count);
}

inline void CCompEngine::AppendDeleted(std::uint64_t pos1, std::uint64_t count) {
    if (m_openDeleted >= 0) {
        m_blocks[static_cast<std::size_t>(m_openDeleted)].count += count;
        return;
    }
    PushBlock({BlockKind::Deleted, count, pos1, CompBlock::kAbsent});
    m_openDeleted = static_cast<std::ptrdiff_t>(m_blocks.size() - 1);
}

inline void CCompEngine::AppendMoveFrom(std::uint64_t pos1, std::uint64_t pos2) {
    m_openDeleted = -1;
    AppendMergeable(BlockKind::MoveFrom, pos1, pos2, 1);
}

// The target leaves the search window for good; the window takes the next unclaimed unit instead.
template <int U>
void CCompEngine::AppendMoveTo(std::uint64_t pos2, std::uint64_t pos1) {
    Claim(pos2);
    LeaveWindow2<U>(pos2);
    FillWindow2<U>();
    const std::uint64_t at = pos2;
    const std::uint64_t next = pos2 + static_cast<std::uint64_t>(U);
    // The block that ends where this one starts grows when its source ends where this one's starts.
    if (const std::uint64_t* start = m_pendingEnds.Find(at)) {
        const std::uint64_t first = *start;
        Pending& block = *m_pendingStarts.Find(first);
        if (block.source + (block.count << kShiftOf<U>) == pos1) {
            ++block.count;
            m_pendingEnds.Erase(at);
            m_pendingEnds.Insert(next, first);
            return;
        }
    }
    m_pendingStarts.Insert(at, Pending{1, pos1});
    m_pendingEnds.Insert(next, at);
    m_firstPending = std::min(m_firstPending, pos2);
}

// New units from p2 to `end`, one block per stretch between claimed units.
template <int U>
void CCompEngine::AppendNewUpTo(std::uint64_t& p2, std::uint64_t end) {
    while (p2 < end) {
        EmitPendingBefore(p2);
        const std::uint64_t limit = std::min(m_firstPending, end);
        const std::uint64_t count = CeilDiv(limit - p2, static_cast<std::uint64_t>(U));
        AppendNew(p2, count);
        p2 = SkipClaimed<U>(p2 + (count << kShiftOf<U>));
    }
}

void CCompEngine::SetSink(BlockSink sink, std::size_t batch) {
    m_sink = std::move(sink);
    m_sinkBatch = std::max<std::size_t>(batch, 1);
}

void CCompEngine::ReleaseFrom(const CFileBuffer& file1, const CFileBuffer& file2) {
    SetRelease([&file1, &file2](const std::uint8_t* begin, std::size_t length) {
        file1.Release(begin, length);
        file2.Release(begin, length);
    });
}

void CCompEngine::Run() {
    CProgress quiet;
    Run(quiet);
}

bool CCompEngine::Run(CProgress& progress) {
    progress.Start(m_size1 + m_size2);
    const std::uint64_t u = static_cast<std::uint64_t>(m_unit);
    m_shift = std::countr_zero(static_cast<unsigned>(m_unit));
    m_units1 = CeilDiv(m_size1, u);
    m_units2 = CeilDiv(m_size2, u);
    if (m_unit <= 2) {
        m_positions2.emplace(m_unit, static_cast<std::size_t>(std::max(m_lookAhead, 1)));
        m_last1.assign(m_unit == 1 ? 256u : 65536u, 0);
    } else {
        m_filter1.emplace(m_unit);
        m_filter2.emplace(m_unit);
    }
    if (m_sink) {
        m_blocks.reserve(m_sinkBatch);
    }
    switch (m_unit) {
    case 1:
        return RunUnits<1>(progress);
    case 2:
        return RunUnits<2>(progress);
    case 4:
        return RunUnits<4>(progress);
    case 8:
        return RunUnits<8>(progress);
    default:
        return RunUnits<16>(progress);
    }
}

template <int U>
bool CCompEngine::RunUnits(CProgress& progress) {
    constexpr std::uint64_t u = U;
    constexpr int kShift = kShiftOf<U>;
    std::uint64_t p1 = 0;
    std::uint64_t p2 = 0;
    while (p1 < m_size1 && p2 < m_size2) {
        m_done = p1 + p2;
        if (!progress.Update(m_done) || m_sinkRefused) {
            return false;
        }
        if (UnitsEqual<U>(p1, p2)) {
            // A run of equal units ends at either file's end or before the next claimed unit.
            EmitPendingBefore(p2);
            const std::uint64_t end2 = std::min(m_firstPending, m_size2);
            const std::uint64_t most = std::min(m_units1 - (p1 >> kShift), CeilDiv(end2 - p2, u));
            // At least one: the unit was just seen equal, even if the bytes change under us.
            const std::uint64_t count = std::max<std::uint64_t>(CountEqualUnits<U>(p1, p2, most), 1);
            AppendSame(p1, p2, count);
            p1 += count << kShift;
            p2 = SkipClaimed<U>(p2 + (count << kShift));
            continue;
        }
        if (m_firstPending == kNone) {
            if (const std::uint64_t steps = ChangedRun<U>(p1, p2); steps > 0) {
                AppendDeleted(p1, steps);
                AppendNew(p2, steps);
                p1 += steps << kShift;
                p2 += steps << kShift;
                continue;
            }
        }
        const std::int64_t q2 = SearchFile2<U>(p1, p2);
        const bool foundInFile1 = SearchFile1<U>(p1, p2);
        if (foundInFile1) {
            if (q2 >= 0) {
                AppendMoveFrom(p1, static_cast<std::uint64_t>(q2));
                AppendMoveTo<U>(static_cast<std::uint64_t>(q2), p1);
            } else {
                AppendDeleted(p1, 1);
            }
            p1 += u;
        } else if (q2 >= 0) {
            AppendNew(p2, 1);
            p2 = Step2<U>(p2);
        } else {
            AppendDeleted(p1, 1);
            AppendNew(p2, 1);
            p1 += u;
            p2 = Step2<U>(p2);
        }
    }
    if (p1 < m_size1) {
        AppendDeleted(p1, m_units1 - (p1 >> kShift));
    }
    AppendNewUpTo<U>(p2, m_size2);
    EmitPendingBefore(kNone);
    if (m_sink) {
        HandFinalBlocks(true);
        if (m_sinkRefused) {
            return false;
        }
    }
    progress.Finish();
    return true;
}
