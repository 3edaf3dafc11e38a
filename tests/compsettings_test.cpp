#include <gtest/gtest.h>

#include "compare/core/compsettings.h"

namespace {

TEST(CompSettings, FreshObjectHoldsDefaultsAndResetRestoresThem) {
    CCompSettings s;
    s.m_clrCommon = s.m_clrNew = s.m_clrDelete = s.m_clrMoveFrom = s.m_clrMoveTo = 0x123456;
    s.lookAhead = 100;
    s.unitSize = 1;
    s.askBeforeCompare = s.showAnsi = false;
    s.lineLength = 3;
    s.ResetToDefaults();
    const CCompSettings fresh;
    for (const CCompSettings* o : {static_cast<const CCompSettings*>(&s), &fresh}) {
        EXPECT_EQ(o->m_clrCommon, 0x000000u);
        EXPECT_EQ(o->m_clrNew, 0x0000C8u);
        EXPECT_EQ(o->m_clrDelete, 0x00C800u);
        EXPECT_EQ(o->m_clrMoveFrom, 0x009696u);
        EXPECT_EQ(o->m_clrMoveTo, 0x009696u);
        EXPECT_EQ(o->lookAhead, 0);
        EXPECT_EQ(o->unitSize, 8);
        EXPECT_TRUE(o->askBeforeCompare);
        EXPECT_TRUE(o->showAnsi);
        EXPECT_EQ(o->lineLength, 16);
    }
}

TEST(CompSettings, CompareDocumentsShowHalfTheLineLengthPerSide) {
    CCompSettings s;
    for (const auto& [length, perSide] : {std::pair{1, 1}, {2, 1}, {15, 7}, {16, 8}, {64, 32}}) {
        s.lineLength = length;
        EXPECT_EQ(s.BytesPerLineForCompare(), perSide) << length;
    }
    for (int unit = 0; unit <= 32; ++unit) {
        EXPECT_EQ(CCompSettings::IsValidUnitSize(unit),
                  unit == 1 || unit == 2 || unit == 4 || unit == 8 || unit == 16);
    }
}

} // namespace
