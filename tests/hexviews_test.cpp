#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "compare/core/compengine.h"
#include "compare/core/complines.h"
#include "testinputs.h"
#include "views/core/changenavigator.h"
#include "views/core/diffmapcolors.h"
#include "views/core/offsettext.h"
#include "views/core/viewlines.h"

namespace {

using K = BlockKind;

std::vector<K> Kinds(const CCompLines& lines) {
    std::vector<K> kinds;
    lines.ForEach(0, lines.GetCount(), [&](const CompLine& row) {
        kinds.push_back(row.kind);
        return true;
    });
    return kinds;
}

// Next and Previous change as a walk over single rows.
std::optional<std::uint64_t> LiteralNext(const std::vector<K>& kinds, std::uint64_t top) {
    K current = kinds[top];
    for (std::uint64_t i = top + 1; i < kinds.size(); ++i) {
        if (kinds[i] != current) {
            if (kinds[i] != K::Same) {
                return i;
            }
            current = K::Same;
        }
    }
    return std::nullopt;
}

std::optional<std::uint64_t> LiteralPrevious(const std::vector<K>& kinds, std::uint64_t top) {
    std::uint64_t i = top - 1;
    K current = kinds[i];
    for (;;) {
        if (i == 0) {
            return current != K::Same ? std::optional<std::uint64_t>(0) : std::nullopt;
        }
        const K k = kinds[i - 1];
        if (k != current) {
            if (current != K::Same) {
                return i;
            }
            current = k;
        }
        --i;
    }
}

// The map's pixel row y counted row by row.
std::pair<std::uint32_t, std::uint32_t> LiteralPixel(const std::vector<K>& kinds, int y, int height,
                                                     const CDiffMapColors::Colors& c) {
    const std::uint64_t n = kinds.size();
    const std::uint64_t a = y * n / height;
    std::uint64_t b = (y + 1) * n / height;
    b = b > a ? b - 1 : a;
    std::uint64_t count[5] = {};
    for (std::uint64_t i = a; i <= b; ++i) {
        ++count[static_cast<int>(kinds[i])];
    }
    const std::uint64_t total = count[0] + count[1] + count[2] + count[3] + count[4];
    std::uint32_t left = 0, right = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const auto ch = [shift](std::uint32_t colour) { return (colour >> shift) & 0xFF; };
        left |= static_cast<std::uint32_t>((255 * (count[0] + count[1] + count[4]) +
                                            count[2] * ch(c.deleted) + count[3] * ch(c.moveFrom)) /
                                           total)
                << shift;
        right |= static_cast<std::uint32_t>((255 * (count[0] + count[2] + count[3]) + count[1] * ch(c.added) +
                                             count[4] * ch(c.moveTo)) /
                                            total)
                 << shift;
    }
    return {left, right};
}

CCompLines Compare(std::uint64_t seed, int unit, int lookAhead, int bytesPerLine) {
    const CTestInputs::Pair pair = CTestInputs::Make(seed);
    const PaddedBytes one(pair.file1), two(pair.file2);
    CCompEngine engine(one.Data(), one.Size(), two.Data(), two.Size());
    engine.SetUnitSize(unit);
    engine.SetLookAhead(lookAhead);
    engine.Run();
    return CCompLines(engine.TakeBlocks(), unit, one.Size(), two.Size(), bytesPerLine);
}

// Next and Previous change against a walk over single rows, from every row of seeded comparisons.
TEST(ChangeNavigator, MatchesTheRowWalkOnEveryRow) {
    EXPECT_EQ(CChangeNavigator::Next(CCompLines(), 0), std::nullopt);
    EXPECT_EQ(CChangeNavigator::Previous(CCompLines(), 0), std::nullopt);
    for (std::uint64_t seed = 1; seed <= 300; ++seed) {
        const int unit = 1 << (seed % 3);
        const CCompLines lines = Compare(seed, unit, seed % 2 == 0 ? 0 : 8, 1 + static_cast<int>(seed % 5));
        const std::vector<K> kinds = Kinds(lines);
        for (std::uint64_t top = 0; top < kinds.size(); ++top) {
            ASSERT_EQ(CChangeNavigator::Next(lines, top), LiteralNext(kinds, top))
                << "seed " << seed << " top " << top;
            if (top > 0) {
                ASSERT_EQ(CChangeNavigator::Previous(lines, top), LiteralPrevious(kinds, top))
                    << "seed " << seed << " top " << top;
            }
        }
    }
}

TEST(DiffMapColors, MatchesCountingRowByRowForMoreAndFewerRowsThanPixels) {
    const CDiffMapColors::Colors colors{0x00C800, 0x009696, 0x0000C8, 0x123456};
    for (std::uint64_t seed = 1; seed <= 100; ++seed) {
        const CCompLines lines = Compare(seed, 1, seed % 2 == 0 ? 0 : 10, 1 + static_cast<int>(seed % 4));
        const std::vector<K> kinds = Kinds(lines);
        for (const int height : {1, 7, 100, static_cast<int>(kinds.size()) + 13}) {
            const std::vector<std::uint32_t> pixels = CDiffMapColors::Build(lines, height, colors);
            ASSERT_EQ(pixels.size(), 2u * static_cast<std::size_t>(height));
            if (kinds.empty()) {
                EXPECT_EQ(pixels, std::vector<std::uint32_t>(pixels.size(), 0xFFFFFF));
                continue;
            }
            for (int y = 0; y < height; ++y) {
                const auto [left, right] = LiteralPixel(kinds, y, height, colors);
                ASSERT_EQ(pixels[2 * y], left) << "seed " << seed << " height " << height << " y " << y;
                ASSERT_EQ(pixels[2 * y + 1], right) << "seed " << seed << " height " << height << " y " << y;
            }
        }
    }
}

TEST(DiffMapColors, KnownMix) {
    // One Same, one Deleted, one New row in one pixel row: each side averages its one difference in.
    const CCompLines lines(
        {{K::Same, 1, 0, 0}, {K::Deleted, 1, 1, CompBlock::kAbsent}, {K::New, 1, 1, CompBlock::kAbsent}}, 1,
        2, 2, 1);
    const std::vector<std::uint32_t> pixels = CDiffMapColors::Build(lines, 1, {0x00C800, 0, 0x0000C8, 0});
    // File 1: white, white, green 200: red and blue (255+255+0)/3 = 170, green (255+255+200)/3 = 236.
    EXPECT_EQ(pixels[0], 0xAAECAAu);
    EXPECT_EQ(pixels[1], 0xAAAAECu);
    EXPECT_TRUE(CDiffMapColors::Build(lines, 0, {}).empty());
}

// Every line is full but the last; the largest file a buffer holds, at 64 bytes per line, without
// overflow on the way.
TEST(ViewLines, EveryLineButTheLastIsFull) {
    EXPECT_EQ(CViewLines(0, 16).GetCount(), 0u);
    const CViewLines huge(0xFFFFFFBFu, 64);
    EXPECT_EQ(huge.GetCount(), 0x3FFFFFFu);
    EXPECT_EQ(huge.GetAt(0), (ViewLine{0, 64}));
    EXPECT_EQ(huge.GetAt(huge.GetCount() - 1), (ViewLine{0xFFFFFF80u, 63}));
}

} // namespace

namespace {

TEST(OffsetText, HexInBothSpellingsOrDecimal) {
    EXPECT_EQ(COffsetText::Parse("0x1F00"), 0x1F00u);
    EXPECT_EQ(COffsetText::Parse("0X1f00"), 0x1F00u);
    EXPECT_EQ(COffsetText::Parse("1F00h"), 0x1F00u);
    EXPECT_EQ(COffsetText::Parse(" 7936 "), 7936u);
    EXPECT_EQ(COffsetText::Parse("0"), 0u);
    for (const char* wrong : {"", " ", "0x", "h", "1F00", "12ab", "-5", "0x1G", "99999999999999999999"}) {
        EXPECT_EQ(COffsetText::Parse(wrong), std::nullopt) << wrong;
    }
}

} // namespace
