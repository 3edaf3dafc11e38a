#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "compare/core/compengine.h"
#include "compare/core/complines.h"
#include "testinputs.h"
#include "views/core/byteselection.h"
#include "views/core/changenavigator.h"
#include "views/core/diffmapcolors.h"
#include "views/core/offsettext.h"
#include "views/core/selectiontext.h"
#include "views/core/siderows.h"
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

namespace {

using Step = CByteSelection::Step;

// 100 bytes at 16 a line: the last line holds 96..99.
CByteSelection Selection100() {
    CByteSelection selection;
    selection.SetFile(100, 16);
    return selection;
}

// Caret and anchor stand between bytes: three steps with Shift take three bytes, a step without it
// drops them, and the caret stops at the file's ends (after the last byte only while selecting).
TEST(ByteSelection, StepsMoveTheCaretAndShiftStretchesTheSelection) {
    CByteSelection s = Selection100();
    EXPECT_TRUE(s.IsEmpty());
    for (int i = 0; i < 3; ++i) {
        s.Move(Step::Right, true);
    }
    EXPECT_EQ(s.Start(), 0u);
    EXPECT_EQ(s.Length(), 3u);
    EXPECT_EQ(s.Caret(), 3u);
    s.Move(Step::Down, true);
    EXPECT_EQ(s.Length(), 19u) << "down a line in the same column";
    EXPECT_EQ(s.CaretByte(), 18u) << "shown on the last byte reached";
    s.Move(Step::Left, false);
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.Caret(), 17u) << "a step from the byte shown";
    s.Move(Step::Up, false);
    s.Move(Step::Up, false);
    EXPECT_EQ(s.Caret(), 0u) << "stops at the first byte";
    s.Move(Step::Left, true);
    EXPECT_TRUE(s.IsEmpty());

    s.Move(Step::PageDown, false, 5);
    EXPECT_EQ(s.Caret(), 80u);
    s.Move(Step::PageDown, false, 5);
    EXPECT_EQ(s.Caret(), 99u) << "the last byte, without Shift";
    s.Move(Step::LineStart, false);
    EXPECT_EQ(s.Caret(), 96u);
    s.Move(Step::LineEnd, true);
    EXPECT_EQ(s.Start(), 96u);
    EXPECT_EQ(s.Length(), 4u) << "the short last line taken whole";
    s.Move(Step::FileStart, true);
    EXPECT_EQ(s.Start(), 0u);
    EXPECT_EQ(s.Length(), 96u) << "from the anchor back to the start";
    s.Move(Step::FileEnd, true);
    EXPECT_EQ(s.Start(), 96u);
    EXPECT_EQ(s.Length(), 4u);
    s.Move(Step::FileEnd, false);
    EXPECT_EQ(s.Caret(), 99u);
    s.Move(Step::PageUp, true, 2);
    EXPECT_EQ(s.Start(), 67u);
    EXPECT_EQ(s.Length(), 32u);
    s.Move(Step::Right, false);
    s.Move(Step::LineEnd, false);
    EXPECT_EQ(s.Caret(), 79u);
}

// A press puts the caret on a byte; a drag or a Shift+click selects from that byte to the one under
// the pointer, both included, whichever way it goes.
TEST(ByteSelection, APointerSelectsFromThePressedByteToTheOneUnderIt) {
    CByteSelection s = Selection100();
    s.PlaceAt(40);
    EXPECT_EQ(s.CaretByte(), 40u);
    EXPECT_TRUE(s.IsEmpty());
    s.ExtendTo(43);
    EXPECT_EQ(s.Start(), 40u);
    EXPECT_EQ(s.Length(), 4u);
    EXPECT_EQ(s.CaretByte(), 43u) << "on the byte under the pointer";
    s.ExtendTo(37);
    EXPECT_EQ(s.Start(), 37u);
    EXPECT_EQ(s.Length(), 4u);
    EXPECT_EQ(s.CaretByte(), 37u);
    s.ExtendTo(40);
    EXPECT_EQ(s.Start(), 40u);
    EXPECT_EQ(s.Length(), 1u);
    s.ExtendTo(500);
    EXPECT_EQ(s.Length(), 60u) << "to the last byte";
    // From a selection made by keys, a click stretches it from the end it started at.
    s.PlaceAt(10);
    s.Move(Step::Left, true);
    s.Move(Step::Left, true);
    s.ExtendTo(20);
    EXPECT_EQ(s.Start(), 9u);
    EXPECT_EQ(s.Length(), 12u);
}

TEST(ByteSelection, SelectAndAShorterFileKeepItInsideTheFile) {
    CByteSelection s = Selection100();
    s.Select(90, 20);
    EXPECT_EQ(s.CaretByte(), 99u) << "the caret on the last byte";
    EXPECT_EQ(s.Start(), 90u);
    EXPECT_EQ(s.Length(), 10u);
    s.SetFile(95, 16);
    EXPECT_EQ(s.Length(), 5u);
    s.SetFile(50, 8);
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.Caret(), 49u);
    s.Move(Step::Up, false);
    EXPECT_EQ(s.Caret(), 41u) << "the new line length";
    s.SetFile(0, 8);
    EXPECT_EQ(s.Caret(), 0u);
    for (const Step step : {Step::Right, Step::Down, Step::FileEnd, Step::LineEnd}) {
        s.Move(step, true);
        EXPECT_TRUE(s.IsEmpty());
    }
    s.ExtendTo(3);
    EXPECT_TRUE(s.IsEmpty()) << "an empty file has nothing to select";
}

TEST(SelectionText, HexCharactersAndTheStatusBarsAccount) {
    const std::uint8_t bytes[] = {0xDE, 0xAD, 0xBE, 0xEF, 'A', 0x00, 0x7F, 0xA0, 0xFF, ' '};
    EXPECT_EQ(CSelectionText::Hex(bytes, 4), "DE AD BE EF");
    EXPECT_EQ(CSelectionText::Hex(bytes, 1), "DE");
    EXPECT_EQ(CSelectionText::Hex(bytes, 0), "");
    EXPECT_EQ(CSelectionText::Characters(bytes + 4, 6), "A..\xA0\xFF ");
    EXPECT_EQ(CSelectionText::Status(2, 0, 0x1F00, 16), "File 1: 0x00001F00-0x00001F0F, 16 bytes");
    EXPECT_EQ(CSelectionText::Status(2, 1, 5, 1), "File 2: 0x00000005-0x00000005, 1 byte");
    EXPECT_EQ(CSelectionText::Status(1, 0, 0x123456789, 0x100000000),
              "0x123456789-0x223456788, 4294967296 bytes");
    EXPECT_EQ(CSelectionText::TooLarge(CSelectionText::kMaxCopy + 1),
              "The selection holds 16777217 bytes; at most 16 MiB (16777216 bytes) can be copied at once.");
}

// Every byte of each file found in the row a walk over all rows finds it in, in seeded comparisons
// with moves, insertions and deletions; and the byte a row offers of a file.
TEST(SideRows, FindTheRowOfEveryByteAsARowWalkDoes) {
    for (std::uint64_t seed = 1; seed <= 150; ++seed) {
        const int unit = 1 << (seed % 3);
        const CCompLines lines = Compare(seed, unit, seed % 2 == 0 ? 0 : 8, 1 + static_cast<int>(seed % 7));
        for (int side = 0; side < 2; ++side) {
            std::vector<std::uint64_t> rowOf;
            std::vector<std::optional<std::uint64_t>> byteAt;
            std::uint64_t index = 0;
            lines.ForEach(0, lines.GetCount(), [&](const CompLine& row) {
                if (CSideRows::Holds(row.kind, side)) {
                    const std::uint64_t offset = side == 0 ? row.offset1 : row.offset2;
                    EXPECT_EQ(offset, rowOf.size()) << "each file's bytes go down the rows in order";
                    rowOf.insert(rowOf.end(), row.length, index);
                }
                ++index;
                return true;
            });
            for (std::uint64_t offset = 0; offset < rowOf.size(); ++offset) {
                ASSERT_EQ(CSideRows::RowOf(lines, side, offset), rowOf[offset])
                    << "seed " << seed << " side " << side << " offset " << offset;
            }
            EXPECT_EQ(CSideRows::RowOf(lines, side, rowOf.size()), std::nullopt);
            for (std::uint64_t row = 0; row < lines.GetCount(); ++row) {
                const std::optional<std::uint64_t> byte = CSideRows::ByteAt(lines, side, row, 1);
                ASSERT_EQ(byte.has_value(), !rowOf.empty());
                if (!byte) {
                    continue;
                }
                const std::uint64_t found = rowOf[*byte];
                const auto next = std::lower_bound(rowOf.begin(), rowOf.end(), row);
                if (next != rowOf.end()) {
                    ASSERT_EQ(found, *next) << "seed " << seed << " row " << row;
                    if (*next == row) {
                        const CompLine line = lines.GetAt(row);
                        const std::uint64_t first = side == 0 ? line.offset1 : line.offset2;
                        ASSERT_EQ(*byte, first + std::min<std::uint64_t>(1, line.length - 1));
                    } else {
                        ASSERT_TRUE(*byte == 0 || rowOf[*byte - 1] < row) << "the first byte of that row";
                    }
                } else {
                    ASSERT_EQ(*byte, rowOf.size() - 1) << "the last byte above";
                }
            }
        }
    }
}

} // namespace
