#include <gtest/gtest.h>

#include "compare/core/compengine.h"
#include "compare/core/complines.h"
#include "literalengine.h"
#include "testinputs.h"

namespace {

using K = BlockKind;

std::vector<CompLine> All(const CCompLines& lines) {
    std::vector<CompLine> rows;
    lines.ForEach(0, lines.GetCount(), [&](const CompLine& row) {
        rows.push_back(row);
        return true;
    });
    return rows;
}

TEST(CompLines, DocumentedExamples) {
    // ABCDEFGH against ABXCDEFGH, 8 bytes per line: the Same block is cut where file 2's line ends.
    const CCompLines insertion =
        CCompLines({{K::Same, 2, 0, 0}, {K::New, 1, 2, CompBlock::kAbsent}, {K::Same, 6, 2, 3}}, 1, 8, 9, 8);
    EXPECT_EQ(All(insertion),
              (std::vector<CompLine>{
                  {K::Same, 0, 0, 2}, {K::New, 0, 2, 1}, {K::Same, 2, 3, 5}, {K::Same, 7, 8, 1}}));

    // Two identical 20-byte files: 8, 8 and 4.
    EXPECT_EQ(All(CCompLines({{K::Same, 20, 0, 0}}, 1, 20, 20, 8)),
              (std::vector<CompLine>{{K::Same, 0, 0, 8}, {K::Same, 8, 8, 8}, {K::Same, 16, 16, 4}}));

    // Unit 16: the Deleted block is not last and keeps its padding; the last block is cut at the end
    // of file 2.
    const CCompLines partial = CCompLines(
        {{K::Same, 1, 0, 0}, {K::Deleted, 1, 16, CompBlock::kAbsent}, {K::New, 1, 16, CompBlock::kAbsent}},
        16, 17, 20, 16);
    EXPECT_EQ(All(partial),
              (std::vector<CompLine>{{K::Same, 0, 0, 16}, {K::Deleted, 16, 0, 16}, {K::New, 0, 16, 4}}));

    // One byte per line: one row per byte.
    EXPECT_EQ(CCompLines({{K::Same, 3, 0, 5}}, 1, 3, 8, 1).GetCount(), 3u);
    EXPECT_TRUE(CCompLines({}, 8, 0, 0, 8).IsEmpty());
}

// Rows computed on demand against the rows of the literal cutting, by index and in sequence.
TEST(CompLines, MatchLiteralRowsOnSeededInputs) {
    const int units[] = {1, 2, 4, 8, 16};
    const int lookAheads[] = {0, 1, 2, 5, 100};
    const int lineLengths[] = {1, 3, 8, 16, 32};
    for (int seed = 0; seed < 2000; ++seed) {
        const CTestInputs::Pair pair = CTestInputs::Make(static_cast<std::uint64_t>(seed));
        const PaddedBytes a(pair.file1);
        const PaddedBytes b(pair.file2);
        const int unit = units[seed % 5];
        const int lookAhead = lookAheads[(seed / 5) % 5];
        CCompEngine engine(a.Data(), a.Size(), b.Data(), b.Size());
        engine.SetUnitSize(unit);
        engine.SetLookAhead(lookAhead);
        engine.Run();
        for (int line : lineLengths) {
            const auto expected = CLiteralEngine::BuildRows(engine.Blocks(), unit, a.Size(), b.Size(), line);
            const CCompLines lines(engine.Blocks(), unit, a.Size(), b.Size(), line);
            ASSERT_EQ(lines.GetCount(), expected.size()) << "seed " << seed << ", line " << line;
            for (std::size_t i = 0; i < expected.size(); ++i) {
                ASSERT_EQ(lines.GetAt(i), expected[i])
                    << "seed " << seed << ", line " << line << ", row " << i;
            }
            ASSERT_EQ(All(lines), expected);
            // A sequence may start anywhere, inside a block too.
            if (expected.size() > 2) {
                std::vector<CompLine> tail;
                const std::size_t from = expected.size() / 2;
                lines.ForEach(from, expected.size() + 10, [&](const CompLine& row) {
                    tail.push_back(row);
                    return true;
                });
                ASSERT_EQ(tail, std::vector<CompLine>(expected.begin() + static_cast<std::ptrdiff_t>(from),
                                                      expected.end()));
            }
        }
    }
}

// Memory that grows with the blocks, not the bytes: a block of a gigabyte is one block and a count.
TEST(CompLines, HugeBlockIsComputedNotStored) {
    const std::uint32_t size = 0xF0000000u;
    const CCompLines lines({{K::Same, size / 8, 0, 3}}, 8, size, size + 3, 32);
    // Cuts every 32 bytes on both sides, three bytes apart; none at the very end.
    EXPECT_EQ(lines.GetCount(), 2 * (std::uint64_t{size} / 32));
    EXPECT_EQ(lines.GetAt(0), (CompLine{K::Same, 0, 3, 29}));
    EXPECT_EQ(lines.GetAt(1), (CompLine{K::Same, 29, 32, 3}));
    EXPECT_EQ(lines.GetAt(lines.GetCount() - 1), (CompLine{K::Same, size - 3, size, 3}));
}

} // namespace
