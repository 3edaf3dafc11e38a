#include <gtest/gtest.h>

#include "compare/core/compengine.h"
#include "compare/core/complines.h"
#include "literalengine.h"
#include "testinputs.h"
#include "views/core/siderows.h"

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

    // Unit 16: no row shows the zeros a unit past a file's end was compared with. H + 41 against
    // H + 42 43 44 45: the Deleted block, though not last, holds file 1's one byte.
    const CCompLines partial = CCompLines(
        {{K::Same, 1, 0, 0}, {K::Deleted, 1, 16, CompBlock::kAbsent}, {K::New, 1, 16, CompBlock::kAbsent}},
        16, 17, 20, 16);
    EXPECT_EQ(All(partial),
              (std::vector<CompLine>{{K::Same, 0, 0, 16}, {K::Deleted, 16, 0, 1}, {K::New, 0, 16, 4}}));
    // 18 bytes against their first 17: the last unit matched 00 00 against 00 and padding; file 1's
    // last byte has a row of its own.
    EXPECT_EQ(All(CCompLines({{K::Same, 2, 0, 0}}, 16, 18, 17, 16)),
              (std::vector<CompLine>{{K::Same, 0, 0, 16}, {K::Same, 16, 16, 1}, {K::Deleted, 17, 0, 1}}));
    // 17 bytes against the same and 00: file 2's last byte is shown, not hidden.
    const CCompLines longer({{K::Same, 2, 0, 0}}, 16, 17, 18, 16);
    EXPECT_EQ(All(longer),
              (std::vector<CompLine>{{K::Same, 0, 0, 16}, {K::Same, 16, 16, 1}, {K::New, 0, 17, 1}}));
    ASSERT_EQ(longer.Blocks().size(), 2u) << "walks over kinds see the New bytes as a block";
    EXPECT_EQ(longer.Blocks()[longer.BlockOfRow(2)].kind, K::New);

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

// The rows show exactly the files' bytes, whatever the sizes, unit and line: none past a file's end,
// none across a line boundary, every byte of each file in exactly one row, and Same rows over bytes
// that are equal. Checked as properties, apart from any reference cutting.
TEST(CompLines, EveryByteOfEachFileInExactlyOneRow) {
    const int lineLengths[] = {1, 3, 8, 16, 32};
    for (int seed = 0; seed < 3000; ++seed) {
        const CTestInputs::Pair pair = CTestInputs::Make(static_cast<std::uint64_t>(seed) + 7000);
        const PaddedBytes a(pair.file1);
        const PaddedBytes b(pair.file2);
        const int unit = 1 << (seed % 5);
        CCompEngine engine(a.Data(), a.Size(), b.Data(), b.Size());
        engine.SetUnitSize(unit);
        engine.SetLookAhead(seed % 3 == 0 ? 0 : 1 + seed % 20);
        engine.Run();
        const int line = lineLengths[(seed / 5) % 5];
        std::vector<int> seen1(a.Size(), 0);
        std::vector<int> seen2(b.Size(), 0);
        const CCompLines lines(engine.Blocks(), unit, a.Size(), b.Size(), line);
        const auto cover = [&](std::vector<int>& seen, std::uint64_t offset, std::uint32_t length) {
            ASSERT_LE(offset + length, seen.size()) << "a row past its file's end";
            ASSERT_LE(offset % line + length, static_cast<std::uint32_t>(line)) << "a row across a line";
            for (std::uint32_t i = 0; i < length; ++i) {
                ++seen[offset + i];
            }
        };
        for (const CompLine& row : All(lines)) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", unit " + std::to_string(unit));
            ASSERT_GT(row.length, 0u);
            const bool has1 = row.kind != K::New && row.kind != K::MoveTo;
            const bool has2 = row.kind == K::Same || !has1;
            if (has1) {
                cover(seen1, row.offset1, row.length);
            }
            if (has2) {
                cover(seen2, row.offset2, row.length);
            }
            if (row.kind == K::Same) {
                ASSERT_TRUE(std::equal(a.Data() + row.offset1, a.Data() + row.offset1 + row.length,
                                       b.Data() + row.offset2));
            }
        }
        ASSERT_TRUE(std::all_of(seen1.begin(), seen1.end(), [](int n) { return n == 1; })) << "seed " << seed;
        ASSERT_TRUE(std::all_of(seen2.begin(), seen2.end(), [](int n) { return n == 1; })) << "seed " << seed;
    }
}

// Files past 4 GiB: offsets, counts and rows in 64 bits, and a byte's row found without walking rows.
TEST(CompLines, FilesPastFourGibibytes) {
    const std::uint64_t size1 = (std::uint64_t{6} << 30) + 5;
    const std::uint64_t far = (std::uint64_t{5} << 30) + 104; // a changed unit of 8
    const CCompLines lines({{K::Same, far / 8, 0, 0},
                            {K::Deleted, 1, far, CompBlock::kAbsent},
                            {K::New, 1, far, CompBlock::kAbsent},
                            {K::Same, (size1 - far) / 8, far + 8, far + 8}},
                           8, size1, size1 + 3, 16);
    const std::uint64_t sameRows = far / 16 + 1;
    EXPECT_EQ(lines.GetAt(sameRows - 1), (CompLine{K::Same, far - 8, far - 8, 8}));
    EXPECT_EQ(lines.GetAt(sameRows), (CompLine{K::Deleted, far, 0, 8}));
    EXPECT_EQ(lines.GetAt(sameRows + 1), (CompLine{K::New, 0, far, 8}));
    EXPECT_EQ(CSideRows::RowOf(lines, 0, far + 7), sameRows);
    EXPECT_EQ(CSideRows::RowOf(lines, 1, far), sameRows + 1);
    EXPECT_EQ(CSideRows::RowOf(lines, 1, size1 + 2), lines.GetCount() - 1);
    EXPECT_EQ(lines.GetAt(lines.GetCount() - 1).kind, K::New) << "file 2's last three bytes";
    EXPECT_EQ(CSideRows::RowOf(lines, 0, size1), std::nullopt);
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
