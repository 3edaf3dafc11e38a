#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "compare/core/compengine.h"
#include "literalengine.h"
#include "testinputs.h"

namespace {

constexpr std::uint32_t kNo = CompBlock::kAbsent;

std::vector<std::uint8_t> Text(const std::string& s) {
    return {s.begin(), s.end()};
}

CompBlockList Compare(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b, int unit,
                      int lookAhead) {
    const PaddedBytes p1(a);
    const PaddedBytes p2(b);
    CCompEngine engine(p1.Data(), p1.Size(), p2.Data(), p2.Size());
    engine.SetUnitSize(unit);
    engine.SetLookAhead(lookAhead);
    engine.Run();
    return engine.Blocks();
}

CompBlockList Compare(const std::string& a, const std::string& b, int unit, int lookAhead) {
    return Compare(Text(a), Text(b), unit, lookAhead);
}

std::string Describe(const CompBlockList& blocks) {
    static const char* const names[] = {"Same", "New", "Deleted", "MoveFrom", "MoveTo"};
    std::ostringstream out;
    for (const CompBlock& b : blocks) {
        out << names[static_cast<int>(b.kind)] << ' ' << b.count << " @" << b.primary;
        if (b.secondary != kNo) {
            out << '/' << b.secondary;
        }
        out << "; ";
    }
    return out.str();
}

TEST(CompEngine, WorkedExamples) {
    using K = BlockKind;
    // Insertion, deletion and change, look-ahead 10.
    EXPECT_EQ(Compare("ABCDEFGH", "ABXCDEFGH", 1, 10),
              (CompBlockList{{K::Same, 2, 0, 0}, {K::New, 1, 2, kNo}, {K::Same, 6, 2, 3}}));
    EXPECT_EQ(Compare("ABXCDEFGH", "ABCDEFGH", 1, 10),
              (CompBlockList{{K::Same, 2, 0, 0}, {K::Deleted, 1, 2, kNo}, {K::Same, 6, 3, 2}}));
    EXPECT_EQ(Compare("ABXYZDE", "ABPQRDE", 1, 10),
              (CompBlockList{
                  {K::Same, 2, 0, 0}, {K::Deleted, 3, 2, kNo}, {K::New, 3, 2, kNo}, {K::Same, 2, 5, 5}}));
    // The moved block is emitted where the file-2 cursor jumps over the claimed units.
    EXPECT_EQ(Compare("ABCDEFGH", "EFABCDGH", 1, 10),
              (CompBlockList{
                  {K::MoveFrom, 4, 0, 2}, {K::Same, 2, 4, 0}, {K::MoveTo, 4, 2, 0}, {K::Same, 2, 6, 6}}));
    // Without look-ahead every later pair differs.
    EXPECT_EQ(Compare("ABCDEFGH", "ABXCDEFGH", 1, 0),
              (CompBlockList{{K::Same, 2, 0, 0}, {K::Deleted, 6, 2, kNo}, {K::New, 7, 2, kNo}}));
}

TEST(CompEngine, EmptyAndIdenticalFiles) {
    using K = BlockKind;
    EXPECT_TRUE(Compare("", "", 8, 0).empty());
    EXPECT_EQ(Compare("", "ABCDEFGHIJ", 4, 5), (CompBlockList{{K::New, 3, 0, kNo}}));
    EXPECT_EQ(Compare("ABCDEFGHIJ", "", 4, 5), (CompBlockList{{K::Deleted, 3, 0, kNo}}));
    EXPECT_EQ(Compare("ABCDEFGHIJ", "ABCDEFGHIJ", 2, 100), (CompBlockList{{K::Same, 5, 0, 0}}));
}

TEST(CompEngine, PartialLastUnitsAreFilledWithZeros) {
    using K = BlockKind;
    std::vector<std::uint8_t> a(17, 'x');
    std::vector<std::uint8_t> b(20, 'x');
    a[16] = 'p';
    b[16] = 'q';
    EXPECT_EQ(Compare(a, b, 16, 0),
              (CompBlockList{{K::Same, 1, 0, 0}, {K::Deleted, 1, 16, kNo}, {K::New, 1, 16, kNo}}));
    // Eighteen bytes ending in two zeros against the first seventeen of them: one Same block.
    std::vector<std::uint8_t> c(18, 'y');
    c[16] = c[17] = 0;
    const std::vector<std::uint8_t> d(c.begin(), c.begin() + 17);
    EXPECT_EQ(Compare(c, d, 16, 0), (CompBlockList{{K::Same, 2, 0, 0}}));
}

TEST(CompEngine, LookAheadLimits) {
    // With look-ahead 0 nothing is ever moved.
    for (const auto& blocks : {Compare("ABCDEFGH", "EFABCDGH", 1, 0), Compare("ABAB", "BABA", 1, 0)}) {
        for (const CompBlock& b : blocks) {
            EXPECT_NE(b.kind, BlockKind::MoveFrom);
            EXPECT_NE(b.kind, BlockKind::MoveTo);
        }
    }
    // Look-ahead 1 searches only the unit right after each cursor.
    EXPECT_EQ(Describe(Compare("ABCD", "XABCD", 1, 1)), "New 1 @0; Same 4 @0/1; ");
    EXPECT_EQ(Describe(Compare("ABCD", "XYABCD", 1, 1)), "Deleted 4 @0; New 6 @0; ");
}

// That claimed units are not counted by the searches is held by the seeded comparison below.
TEST(CompEngine, ClaimedUnitsAreNeverSameOrNew) {
    // A claimed unit is never reported as Same or New.
    for (const CompBlock& b : Compare("ABCDEFGH", "EFABCDGH", 1, 10)) {
        if (b.kind == BlockKind::Same) {
            EXPECT_TRUE(b.secondary + b.count <= 2 || b.secondary >= 6) << Describe({b});
        }
    }
}

// Every unit of each file belongs to exactly one block of the right kinds, and moves pair up.
void ExpectWellFormed(const CompBlockList& blocks, std::uint32_t size1, std::uint32_t size2, int unit) {
    const std::uint32_t units1 = (size1 + unit - 1) / unit;
    const std::uint32_t units2 = (size2 + unit - 1) / unit;
    std::vector<int> seen1(units1), seen2(units2);
    for (const CompBlock& b : blocks) {
        for (std::uint32_t i = 0; i < b.count; ++i) {
            const std::uint32_t at = b.primary / unit + i;
            const bool inFile2 = b.kind == BlockKind::New || b.kind == BlockKind::MoveTo;
            ASSERT_LT(at, inFile2 ? units2 : units1);
            ++(inFile2 ? seen2 : seen1)[at];
            if (b.kind == BlockKind::Same) {
                ++seen2.at(b.secondary / unit + i);
            }
        }
    }
    for (int n : seen1) {
        ASSERT_EQ(n, 1);
    }
    for (int n : seen2) {
        ASSERT_EQ(n, 1);
    }
}

// The engine against the unit-by-unit transcription, block for block.
TEST(CompEngine, MatchesLiteralWalkOnSeededInputs) {
    constexpr int kInputs = 10000;
    const int units[] = {1, 2, 4, 8, 16};
    const int lookAheads[] = {0, 1, 2, 5, 100};
    long moves = 0;
    for (int seed = 0; seed < kInputs; ++seed) {
        const CTestInputs::Pair pair = CTestInputs::Make(static_cast<std::uint64_t>(seed));
        const PaddedBytes a(pair.file1);
        const PaddedBytes b(pair.file2);
        for (int unit : units) {
            for (int lookAhead : lookAheads) {
                CCompEngine engine(a.Data(), a.Size(), b.Data(), b.Size());
                engine.SetUnitSize(unit);
                engine.SetLookAhead(lookAhead);
                engine.Run();
                const auto expected =
                    CLiteralEngine::Run(a.Data(), a.Size(), b.Data(), b.Size(), unit, lookAhead);
                ASSERT_EQ(Describe(engine.Blocks()), Describe(expected))
                    << "seed " << seed << ", unit " << unit << ", look-ahead " << lookAhead;
                ExpectWellFormed(engine.Blocks(), a.Size(), b.Size(), unit);
                for (const CompBlock& block : expected) {
                    moves += block.kind == BlockKind::MoveTo;
                }
            }
        }
    }
    // The inputs must exercise moves, or the comparison proves little.
    EXPECT_GT(moves, kInputs);
}

// Long equal stretches go through the parallel scan; a difference in either half of a window, or
// none, must come out the same as unit by unit.
TEST(CompEngine, LongRunsMatchLiteralWalk) {
    constexpr std::size_t kSize = 9u << 20;
    std::vector<std::uint8_t> base(kSize);
    std::mt19937 rng(7);
    for (auto& byte : base) {
        byte = static_cast<std::uint8_t>(rng());
    }
    for (std::size_t at : {std::size_t{0}, std::size_t{1} << 20, (std::size_t{3} << 20) + 5, kSize - 1}) {
        std::vector<std::uint8_t> changed = base;
        changed[at] ^= 1;
        const PaddedBytes a(base);
        const PaddedBytes b(changed);
        for (int unit : {1, 16}) {
            CCompEngine engine(a.Data(), a.Size(), b.Data(), b.Size());
            engine.SetUnitSize(unit);
            engine.SetLookAhead(5);
            engine.Run();
            EXPECT_EQ(engine.Blocks(), CLiteralEngine::Run(a.Data(), a.Size(), b.Data(), b.Size(), unit, 5))
                << "change at " << at << ", unit " << unit;
        }
    }
}

} // namespace
