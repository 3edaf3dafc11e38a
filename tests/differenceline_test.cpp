#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "compare/core/differenceindex.h"
#include "compare/core/differenceline.h"

namespace {

using K = BlockKind;
using Style = CDifferenceLine::Style;

// Each kind names the file-1 and file-2 ends it has, in words and hex for the pane, by JSON names and
// in decimal for the summary.
TEST(DifferenceLine, EachKindNamesTheEndsItHas) {
    const struct {
        CompBlock block;
        const char* summary;
        const char* shown;
    } cases[] = {
        {{K::New, 3, 300, CompBlock::kAbsent}, "new\t-\t300\t3", "New\t-\t0000012C\t3"},
        {{K::Deleted, 16, 26, CompBlock::kAbsent}, "deleted\t26\t-\t16", "Deleted\t0000001A\t-\t16"},
        {{K::MoveFrom, 4, 0, 4096}, "movefrom\t0\t4096\t4", "Moved from\t00000000\t00001000\t4"},
        {{K::MoveTo, 4, 4096, 0}, "moveto\t0\t4096\t4", "Moved to\t00000000\t00001000\t4"},
        {{K::Deleted, 1, 0xFFFFFFFEu, CompBlock::kAbsent},
         "deleted\t4294967294\t-\t1",
         "Deleted\tFFFFFFFE\t-\t1"},
    };
    for (const auto& c : cases) {
        const CDifferenceLine line(c.block);
        EXPECT_TRUE(CDifferenceLine::IsDifference(c.block));
        EXPECT_EQ(line.Text(Style::Summary), c.summary);
        EXPECT_EQ(line.Text(Style::Shown), c.shown);
    }
    EXPECT_FALSE(CDifferenceLine::IsDifference({K::Same, 1, 0, 0}));
    EXPECT_EQ(CDifferenceLine({K::MoveTo, 4, 4096, 7}).Offset1(), 7u);
    EXPECT_EQ(CDifferenceLine({K::New, 4, 4096, CompBlock::kAbsent}).Offset1(), std::nullopt);
    EXPECT_EQ(CDifferenceLine::Header(), "Kind\tOffset in file 1\tOffset in file 2\tLength");
}

// Any difference of a list found from the marks is the one counted in order, through runs of Same
// blocks and lists with none at all.
TEST(DifferenceIndex, FindsEveryDifferenceInOrder) {
    std::mt19937 random(7);
    for (const int size : {0, 1, 63, 64, 65, 1000, 5000}) {
        for (const int sameOneIn : {1, 2, 5}) {
            CompBlockList blocks;
            std::vector<std::size_t> differences;
            for (int i = 0; i < size; ++i) {
                const bool same = sameOneIn == 1 || random() % sameOneIn != 0;
                const auto kind = same ? K::Same : static_cast<K>(1 + random() % 4);
                blocks.push_back({kind, 1, static_cast<std::uint32_t>(i), 0});
                if (!same) {
                    differences.push_back(blocks.size() - 1);
                }
            }
            const CDifferenceIndex index(blocks);
            ASSERT_EQ(index.Count(), differences.size()) << size << " " << sameOneIn;
            for (std::size_t n = 0; n < differences.size(); ++n) {
                ASSERT_EQ(index.BlockOf(blocks, n), differences[n]) << size << " " << sameOneIn << " " << n;
            }
        }
    }
    EXPECT_EQ(CDifferenceIndex().Count(), 0u);
}

} // namespace
