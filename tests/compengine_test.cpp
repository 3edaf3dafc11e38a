#include <algorithm>
#include <map>
#include <random>
#include <span>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "compare/core/blockhandoff.h"
#include "compare/core/compengine.h"
#include "compare/core/differencescanner.h"
#include "compare/core/positionmap.h"
#include "files/progress.h"
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

// The blocks a run hands to a sink, gathered; empty and false when the run stopped.
CompBlockList CompareThroughSink(const PaddedBytes& a, const PaddedBytes& b, int unit, int lookAhead,
                                 std::size_t batch) {
    CCompEngine engine(a.Data(), a.Size(), b.Data(), b.Size());
    engine.SetUnitSize(unit);
    engine.SetLookAhead(lookAhead);
    CompBlockList handed;
    engine.SetSink(
        [&](std::span<const CompBlock> blocks) {
            EXPECT_FALSE(blocks.empty());
            handed.insert(handed.end(), blocks.begin(), blocks.end());
            return true;
        },
        batch);
    CProgress quiet;
    if (!engine.Run(quiet)) {
        return {};
    }
    EXPECT_TRUE(engine.Blocks().empty());
    return handed;
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

// Files that defeat the searches' shortcuts, large enough to hold hundreds of pending moves at once
// and to make the block list outgrow its first allocations.
std::vector<std::uint8_t> ShuffledPieces(const std::vector<std::uint8_t>& from, std::mt19937& rng,
                                         std::size_t stretch) {
    std::vector<std::uint8_t> out;
    for (std::size_t at = 0; at < from.size(); at += stretch) {
        std::vector<std::vector<std::uint8_t>> pieces;
        const std::size_t end = std::min(from.size(), at + stretch);
        for (std::size_t p = at; p < end;) {
            const std::size_t length = std::min<std::size_t>(end - p, 1 + rng() % 8);
            pieces.emplace_back(from.begin() + static_cast<std::ptrdiff_t>(p),
                                from.begin() + static_cast<std::ptrdiff_t>(p + length));
            p += length;
        }
        std::shuffle(pieces.begin(), pieces.end(), rng);
        for (const auto& piece : pieces) {
            out.insert(out.end(), piece.begin(), piece.end());
        }
    }
    return out;
}

TEST(CompEngine, HardInputsMatchLiteralWalk) {
    std::mt19937 rng(11);
    const auto bytes = [&](std::size_t size, unsigned alphabet) {
        std::vector<std::uint8_t> v(size);
        for (auto& b : v) {
            b = static_cast<std::uint8_t>(rng() % alphabet);
        }
        return v;
    };
    const std::vector<std::uint8_t> random = bytes(12000, 256);
    std::vector<std::uint8_t> repeated(9000, 'A');
    for (std::size_t i = 0; i < repeated.size(); i += 1 + rng() % 90) {
        repeated[i] = 'B';
    }
    const struct {
        const char* name;
        std::vector<std::uint8_t> one, two;
    } cases[] = {
        {"shuffled pieces", random, ShuffledPieces(random, rng, 96)},
        {"shuffled far", random, ShuffledPieces(random, rng, 400)},
        {"four letters", bytes(6000, 4), bytes(6000, 4)},
        {"one repeated byte, shifted", repeated,
         std::vector<std::uint8_t>(repeated.begin() + 1, repeated.end())},
        {"unrelated", random, bytes(12000, 256)},
    };
    for (const auto& c : cases) {
        const PaddedBytes a(c.one);
        const PaddedBytes b(c.two);
        for (int unit : {1, 2, 8}) {
            for (int lookAhead : {3, 100}) {
                const std::string expected =
                    Describe(CLiteralEngine::Run(a.Data(), a.Size(), b.Data(), b.Size(), unit, lookAhead));
                EXPECT_EQ(Describe(Compare(a, b, unit, lookAhead)), expected)
                    << c.name << ", unit " << unit << ", look-ahead " << lookAhead;
                // Hundreds of moves wait across each hand-over.
                EXPECT_EQ(Describe(CompareThroughSink(a, b, unit, lookAhead, 2)), expected)
                    << c.name << " through a sink, unit " << unit << ", look-ahead " << lookAhead;
            }
        }
    }
}

// Past 65,536 blocks the list grows to the size the work so far points to; a file whose end
// changes far more than the rest makes that guess short, and growth must go on from there.
TEST(CompEngine, LongBlockListsMatchLiteralWalk) {
    std::mt19937 rng(5);
    std::vector<std::uint8_t> one(600000);
    for (auto& b : one) {
        b = static_cast<std::uint8_t>(rng());
    }
    // One byte in 16 changed, then every other one.
    std::vector<std::uint8_t> two = one;
    for (std::size_t i = 0; i < two.size(); ++i) {
        if (i < two.size() * 3 / 4 ? rng() % 16 == 0 : i % 2 == 0) {
            two[i] ^= static_cast<std::uint8_t>(1 + rng() % 255);
        }
    }
    const PaddedBytes a(one);
    const PaddedBytes b(two);
    const CompBlockList blocks = Compare(a, b, 1, 4);
    ASSERT_GT(blocks.size(), 65536u);
    EXPECT_EQ(blocks, CLiteralEngine::Run(a.Data(), a.Size(), b.Data(), b.Size(), 1, 4));
    ExpectWellFormed(blocks, a.Size(), b.Size(), 1);
    EXPECT_EQ(CompareThroughSink(a, b, 1, 4, CCompEngine::kSinkBatch), blocks);
}

// Tiny batches hand blocks over at nearly every step, while a Deleted block still grows behind the
// New blocks after it and moves wait to be placed; what arrives must be the whole-list result.
TEST(CompEngine, SinkGetsTheBlocksOfAWholeRun) {
    for (int seed = 0; seed < 3000; ++seed) {
        const CTestInputs::Pair pair = CTestInputs::Make(static_cast<std::uint64_t>(seed));
        const PaddedBytes a(pair.file1);
        const PaddedBytes b(pair.file2);
        for (int unit : {1, 2, 8}) {
            for (int lookAhead : {0, 2, 100}) {
                const auto expected =
                    CLiteralEngine::Run(a.Data(), a.Size(), b.Data(), b.Size(), unit, lookAhead);
                for (std::size_t batch : {1, 3}) {
                    ASSERT_EQ(Describe(CompareThroughSink(a, b, unit, lookAhead, batch)), Describe(expected))
                        << "seed " << seed << ", unit " << unit << ", look-ahead " << lookAhead << ", batch "
                        << batch;
                }
            }
        }
    }
}

// A sink that refuses stops the run at once and hears of nothing after.
TEST(CompEngine, SinkThatRefusesStopsTheRun) {
    const auto [one, two] = CTestInputs::Unrelated(200000, 9);
    const PaddedBytes a(one);
    const PaddedBytes b(two);
    for (int refuseAt : {1, 2, 5}) {
        CCompEngine engine(a.Data(), a.Size(), b.Data(), b.Size());
        engine.SetUnitSize(1);
        engine.SetLookAhead(4);
        int calls = 0;
        engine.SetSink([&](std::span<const CompBlock>) { return ++calls < refuseAt; }, 1000);
        CProgress quiet;
        EXPECT_FALSE(engine.Run(quiet));
        EXPECT_EQ(calls, refuseAt);
    }
}

// Batches reach the consumer's thread whole and in order, though the engine's buffer is reused at
// once; a refusal stops the consumer hearing of more, and tells the engine and the end.
TEST(BlockHandOff, PassesBatchesInOrderAndStopsOnRefusal) {
    for (int refuseAt : {0, 1, 40}) {
        std::vector<std::uint32_t> seen;
        CBlockHandOff handOff([&](std::span<const CompBlock> blocks) {
            for (const CompBlock& b : blocks) {
                seen.push_back(b.primary);
            }
            return refuseAt == 0 || static_cast<int>(seen.size()) < refuseAt * 3;
        });
        std::vector<CompBlock> buffer(3);
        std::uint32_t next = 0;
        bool accepted = true;
        for (int batch = 0; batch < 100 && accepted; ++batch) {
            for (CompBlock& b : buffer) {
                b = {BlockKind::Same, 1, next++, 0};
            }
            accepted = handOff.Hand(buffer);
        }
        EXPECT_EQ(handOff.Finish(), refuseAt == 0);
        EXPECT_EQ(accepted, refuseAt == 0);
        const std::size_t expected = refuseAt == 0 ? 300 : static_cast<std::size_t>(refuseAt) * 3;
        ASSERT_EQ(seen.size(), expected) << "refusing batch " << refuseAt;
        for (std::size_t i = 0; i < seen.size(); ++i) {
            ASSERT_EQ(seen[i], i);
        }
    }
}

// The pending-move table against an ordered map, with keys that are multiples of a unit and
// enough churn to wrap probe runs around the table's end and to shift entries back on erase.
TEST(PositionMap, AgreesWithOrderedMap) {
    std::mt19937 rng(3);
    CPositionMap<std::uint32_t> map;
    std::map<std::uint32_t, std::uint32_t> expected;
    for (int step = 0; step < 200000; ++step) {
        const std::uint32_t key = (rng() % (step < 100000 ? 4000 : 60)) * 16;
        const bool present = expected.count(key) != 0;
        std::uint32_t* found = map.Find(key);
        ASSERT_EQ(found != nullptr, present) << "key " << key << " at step " << step;
        if (present) {
            ASSERT_EQ(*found, expected[key]);
            if (rng() % 2 == 0) {
                map.Erase(key);
                expected.erase(key);
            } else {
                *found = step;
                expected[key] = static_cast<std::uint32_t>(step);
            }
        } else {
            map.Insert(key, static_cast<std::uint32_t>(step));
            expected[key] = static_cast<std::uint32_t>(step);
        }
        ASSERT_EQ(map.Size(), expected.size());
    }
}

} // namespace

namespace {

// Many short runs in long files, as heavily changed files give: each run is scanned on the calling
// thread, never by waking the helper, yet every first difference is found wherever it lies.
TEST(DifferenceScanner, ShortRunsStayOnOneThreadAndLongOnesAreShared) {
    constexpr std::size_t kSize = 9u << 20;
    std::vector<std::uint8_t> a(kSize, 0);
    std::vector<std::uint8_t> b(kSize, 0);
    CDifferenceScanner scanner;
    for (std::size_t at = 8; at < (4u << 20); at += 4096) {
        b[at] = 1;
    }
    for (std::size_t from = 0; from < (4u << 20); from += 4096) {
        ASSERT_EQ(scanner.FirstDifference(a.data() + from, b.data() + from, kSize - from), 8u) << from;
    }
    EXPECT_EQ(scanner.SharedWindows(), 0u);

    std::fill(b.begin(), b.end(), 0);
    const std::size_t mib = std::size_t{1} << 20;
    for (const std::size_t at : {mib, mib - 1, 3 * mib + 5, 5 * mib + 3, kSize - 1}) {
        b[at] = 7;
        EXPECT_EQ(scanner.FirstDifference(a.data(), b.data(), kSize), at);
        EXPECT_EQ(CDifferenceScanner::Scan(a.data(), b.data(), kSize), at);
        b[at] = 0;
    }
    EXPECT_EQ(scanner.FirstDifference(a.data(), b.data(), kSize), kSize);
    if (std::thread::hardware_concurrency() > 1) {
        EXPECT_GT(scanner.SharedWindows(), 0u) << "a run past the first window is split between two threads";
    }
}

} // namespace
