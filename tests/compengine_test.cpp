#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "compare/core/compengine.h"
#include "literalengine.h"
#include "testinputs.h"

namespace {

CompBlockList Compare(const PaddedBytes& a, const PaddedBytes& b, int unit, int lookAhead) {
    CCompEngine engine(a.Data(), a.Size(), b.Data(), b.Size());
    engine.SetUnitSize(unit);
    engine.SetLookAhead(lookAhead);
    engine.Run();
    return engine.Blocks();
}

std::string Describe(const CompBlockList& blocks) {
    static const char* const names[] = {"Same", "New", "Deleted", "MoveFrom", "MoveTo"};
    std::ostringstream out;
    for (const CompBlock& b : blocks) {
        out << names[static_cast<int>(b.kind)] << ' ' << b.count << " @" << b.primary;
        if (b.secondary != CompBlock::kAbsent) {
            out << '/' << b.secondary;
        }
        out << "; ";
    }
    return out.str();
}

// Hand-worked results, which hold the literal transcription itself to account.
TEST(CompEngine, WorkedExamples) {
    const std::string zeros2("yyyyyyyyyyyyyyyy\0\0", 18);
    const struct {
        std::string one, two;
        int unit, lookAhead;
        const char* blocks;
    } cases[] = {
        {"ABCDEFGH", "ABXCDEFGH", 1, 10, "Same 2 @0/0; New 1 @2; Same 6 @2/3; "},
        {"ABXCDEFGH", "ABCDEFGH", 1, 10, "Same 2 @0/0; Deleted 1 @2; Same 6 @3/2; "},
        {"ABXYZDE", "ABPQRDE", 1, 10, "Same 2 @0/0; Deleted 3 @2; New 3 @2; Same 2 @5/5; "},
        // The moved block is emitted where the file-2 cursor jumps over the claimed units.
        {"ABCDEFGH", "EFABCDGH", 1, 10, "MoveFrom 4 @0/2; Same 2 @4/0; MoveTo 4 @2/0; Same 2 @6/6; "},
        // Without look-ahead every later pair differs, and nothing is ever moved.
        {"ABCDEFGH", "ABXCDEFGH", 1, 0, "Same 2 @0/0; Deleted 6 @2; New 7 @2; "},
        {"ABAB", "BABA", 1, 0, "Deleted 4 @0; New 4 @0; "},
        // Look-ahead 1 searches only the unit right after each cursor.
        {"ABCD", "XABCD", 1, 1, "New 1 @0; Same 4 @0/1; "},
        {"ABCD", "XYABCD", 1, 1, "Deleted 4 @0; New 6 @0; "},
        {"", "", 8, 0, ""},
        {"", "ABCDEFGHIJ", 4, 5, "New 3 @0; "},
        {"ABCDEFGHIJ", "", 4, 5, "Deleted 3 @0; "},
        {"ABCDEFGHIJ", "ABCDEFGHIJ", 2, 100, "Same 5 @0/0; "},
        // A partial last unit is filled with zeros: it differs by its data, but trailing zero bytes
        // cannot be told from the filling.
        {std::string(16, 'x') + "p", std::string(16, 'x') + "qxxx", 16, 0,
         "Same 1 @0/0; Deleted 1 @16; New 1 @16; "},
        {zeros2, zeros2.substr(0, 17), 16, 0, "Same 2 @0/0; "},
    };
    for (const auto& c : cases) {
        const PaddedBytes a({c.one.begin(), c.one.end()});
        const PaddedBytes b({c.two.begin(), c.two.end()});
        EXPECT_EQ(Describe(Compare(a, b, c.unit, c.lookAhead)), c.blocks) << c.one << " / " << c.two;
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
    EXPECT_EQ(seen1, std::vector<int>(units1, 1));
    EXPECT_EQ(seen2, std::vector<int>(units2, 1));
}

// The engine against the unit-by-unit transcription, block for block.
TEST(CompEngine, MatchesLiteralWalkOnSeededInputs) {
    constexpr int kInputs = 10000;
    long moves = 0;
    for (int seed = 0; seed < kInputs; ++seed) {
        const CTestInputs::Pair pair = CTestInputs::Make(static_cast<std::uint64_t>(seed));
        const PaddedBytes a(pair.file1);
        const PaddedBytes b(pair.file2);
        for (int unit : {1, 2, 4, 8, 16}) {
            for (int lookAhead : {0, 1, 2, 5, 100}) {
                const CompBlockList blocks = Compare(a, b, unit, lookAhead);
                const auto expected =
                    CLiteralEngine::Run(a.Data(), a.Size(), b.Data(), b.Size(), unit, lookAhead);
                ASSERT_EQ(Describe(blocks), Describe(expected))
                    << "seed " << seed << ", unit " << unit << ", look-ahead " << lookAhead;
                ExpectWellFormed(blocks, a.Size(), b.Size(), unit);
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
            EXPECT_EQ(Compare(a, b, unit, 5),
                      CLiteralEngine::Run(a.Data(), a.Size(), b.Data(), b.Size(), unit, 5))
                << "change at " << at << ", unit " << unit;
        }
    }
}

} // namespace
