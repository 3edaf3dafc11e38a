#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "differencescanner.h"
#include "files/filesizelimit.h"
#include "files/hugepageallocator.h"
#include "positionmap.h"
#include "unitfilter.h"
#include "unitpositions.h"

// The kind of a block or row; the numbers are shared by the engine, the rows, the log and the views.
enum class BlockKind : std::uint32_t { Same = 0, New = 1, Deleted = 2, MoveFrom = 3, MoveTo = 4 };

// One block of the comparison: `count` units at `primary` (file 1 for Same, Deleted and MoveFrom;
// file 2 for New and MoveTo). `secondary` is the matching file-2 position of a Same block, the file-2
// target of a MoveFrom, the file-1 source of a MoveTo, and kAbsent for New and Deleted.
struct CompBlock {
    static constexpr std::uint64_t kAbsent = ~std::uint64_t{0};

    BlockKind kind;
    std::uint64_t count;
    std::uint64_t primary;
    std::uint64_t secondary;

    friend bool operator==(const CompBlock&, const CompBlock&) = default;
};

// A comparison of random data can make a block for every other byte.
using CompBlockList = std::vector<CompBlock, CHugePageAllocator<CompBlock>>;

// Compares two buffers held whole in memory in one greedy pass, unit by unit, looking a bounded number
// of units ahead to tell insertions, deletions and moves from plain changes. The result is an ordered
// block list; see BlockKind.
//
// Each buffer must stay readable, and zero, for at least 64 bytes past its size: a partial last unit
// is compared with zero bytes filling it up, and searches read whole words.
class CFileBuffer;
class CProgress;

class CCompEngine {
public:
    // Files larger than this are refused by every loader.
    static constexpr std::uint64_t kMaxFileSize = CFileSizeLimit::kMaxFileSize;

    CCompEngine(const std::uint8_t* buffer1, std::uint64_t size1, const std::uint8_t* buffer2,
                std::uint64_t size2);

    // Takes blocks that nothing can change any more, in order; false stops the run.
    using BlockSink = std::function<bool(std::span<const CompBlock>)>;
    static constexpr std::size_t kSinkBatch = std::size_t{1} << 16;

    // One of 1, 2, 4, 8 and 16.
    void SetUnitSize(int unitSize) { m_unit = unitSize; }
    void SetLookAhead(int lookAhead) { m_lookAhead = lookAhead; }
    int UnitSize() const { return m_unit; }
    int LookAhead() const { return m_lookAhead; }

    // Called once.
    void Run();
    // The same, telling `progress` of the bytes passed in both files; false, with the blocks cut short,
    // when it says to stop.
    bool Run(CProgress& progress);

    // Before Run: stretches of the files found equal in long runs are handed to `release` (a mapped
    // file gives their pages back), so a comparison of big files holds little more than its window.
    void SetRelease(CDifferenceScanner::Release release) { m_scanner.SetRelease(std::move(release)); }
    // The same for the engine's two files, which must outlive the run.
    void ReleaseFrom(const CFileBuffer& file1, const CFileBuffer& file2);
    // Before Run: the blocks go to `sink` about `batch` at a time instead of piling up, so that a
    // run that makes millions of them needs little memory. Blocks() then stays empty.
    void SetSink(BlockSink sink, std::size_t batch = kSinkBatch);

    const CompBlockList& Blocks() const { return m_blocks; }
    CompBlockList TakeBlocks() { return std::move(m_blocks); }

private:
    // A MoveTo block that the file-2 cursor has not passed yet, keyed by its file-2 start.
    struct Pending {
        std::uint64_t count;
        std::uint64_t source;
    };

    // The steps of a run, compiled for each unit size `U` so that the unit is a constant.
    template <int U>
    bool RunUnits(CProgress& progress);

    template <int U>
    bool UnitsEqual(std::uint64_t pos1, std::uint64_t pos2) const;
    template <int U>
    std::uint64_t CountEqualUnits(std::uint64_t pos1, std::uint64_t pos2, std::uint64_t maxUnits);

    // Claimed file-2 units, one bit each; empty until the first claim.
    std::uint64_t ClaimedWord(std::uint64_t word) const {
        return word < m_claimed.size() ? m_claimed[word] : 0;
    }
    void Claim(std::uint64_t pos);
    // Most positions are not claimed: that answer stays inline.
    template <int U>
    std::uint64_t SkipClaimed(std::uint64_t pos) const {
        const std::uint64_t unit = pos >> std::countr_zero(static_cast<unsigned>(U));
        return ((ClaimedWord(unit / 64) >> (unit % 64)) & 1) == 0 ? pos : SkipClaimedRun<U>(pos);
    }
    template <int U>
    std::uint64_t SkipClaimedRun(std::uint64_t pos) const;
    template <int U>
    std::uint64_t Step2(std::uint64_t pos) const {
        return SkipClaimed<U>(pos + U);
    }
    std::uint64_t FirstClaimedFrom(std::uint64_t pos) const;

    template <int U>
    bool SearchFile1(std::uint64_t p1, std::uint64_t p2);
    template <int U>
    bool Window1MayHold(std::uint64_t p1, const std::uint8_t* unit) const;
    template <int U>
    std::int64_t SearchFile2(std::uint64_t p1, std::uint64_t p2);
    template <int U>
    void SyncWindow1(std::uint64_t p1);
    template <int U>
    void SyncWindow2(std::uint64_t p2) {
        if (!m_window2Valid || p2 != m_window2P2) {
            MoveWindow2<U>(p2);
        }
    }
    template <int U>
    void MoveWindow2(std::uint64_t p2);
    template <int U>
    void FillWindow2();
    template <int U>
    std::uint64_t ChangedRun(std::uint64_t p1, std::uint64_t p2);
    template <int U>
    void EnterWindow2(std::uint64_t pos);
    template <int U>
    void LeaveWindow2(std::uint64_t pos);
    template <int U>
    bool Window2MayHold(const std::uint8_t* unit) const;

    void GrowBlocks();
    void HandFinalBlocks(bool all);
    void PushBlock(const CompBlock& block) {
        if (m_blocks.size() == m_blocks.capacity()) {
            GrowBlocks();
        }
        m_blocks.push_back(block);
    }
    void EmitPendingBefore(std::uint64_t pos2) {
        if (m_firstPending < pos2) {
            EmitPending(pos2);
        }
    }
    void EmitPending(std::uint64_t pos2);
    void AppendMergeable(BlockKind kind, std::uint64_t primary, std::uint64_t secondary, std::uint64_t count);
    void AppendSame(std::uint64_t pos1, std::uint64_t pos2, std::uint64_t count);
    void AppendNew(std::uint64_t pos2, std::uint64_t count);
    void AppendDeleted(std::uint64_t pos1, std::uint64_t count);
    void AppendMoveFrom(std::uint64_t pos1, std::uint64_t pos2);
    template <int U>
    void AppendMoveTo(std::uint64_t pos2, std::uint64_t pos1);
    template <int U>
    void AppendNewUpTo(std::uint64_t& p2, std::uint64_t end);

    const std::uint8_t* m_buffer1;
    const std::uint8_t* m_buffer2;
    std::uint64_t m_size1;
    std::uint64_t m_size2;
    int m_unit = 1;
    int m_lookAhead = 10;
    int m_shift = 0;            // log2 of the unit
    std::uint64_t m_units1 = 0; // units in each file, a partial last one included
    std::uint64_t m_units2 = 0;

    CompBlockList m_blocks;
    std::uint64_t m_done = 0; // bytes passed in both files
    std::ptrdiff_t m_openDeleted = -1;
    BlockSink m_sink;
    std::size_t m_sinkBatch = 0;
    bool m_sinkRefused = false;
    // Pending MoveTo blocks by file-2 start, and the start of each by its file-2 end, for growing
    // it; the lowest start, or none. Every claimed unit past the lowest start is pending.
    CPositionMap<Pending> m_pendingStarts;
    CPositionMap<std::uint64_t> m_pendingEnds;
    std::uint64_t m_firstPending = ~std::uint64_t{0};
    std::vector<std::uint64_t> m_claimed;

    // What each search would look at, counted by digest: file-1 units [start, end) for the search
    // from p1; for the search from p2, the unclaimed file-2 units after p2 and before end.
    std::optional<CUnitFilter> m_filter1;
    std::uint64_t m_window1Start = 0;
    std::uint64_t m_window1End = 0;
    // Units of 1 and 2 bytes keep the window's positions themselves, the others a filter.
    std::optional<CUnitFilter> m_filter2;
    std::optional<CUnitPositions> m_positions2;
    // With exact units, the last file-1 position of each value up to the file-1 window's end: the
    // value is in the window when that position lies past p1.
    std::vector<std::uint64_t> m_last1;
    std::uint64_t m_window2P2 = 0;
    std::uint64_t m_window2End = 0;
    std::uint64_t m_window2Count = 0;
    bool m_window2Valid = false;

    CDifferenceScanner m_scanner;
};
