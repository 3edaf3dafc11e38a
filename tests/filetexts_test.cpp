#include <cstdlib>
#include <ctime>

#include <gtest/gtest.h>

#include "browser/core/filetexts.h"

namespace {

TEST(FileTexts, SizesChangeUnitAtTheBoundariesAndNeverWrap) {
    EXPECT_EQ(CFileTexts::Size(0), "0");
    EXPECT_EQ(CFileTexts::Size(1023), "1023");
    EXPECT_EQ(CFileTexts::Size(1024), "1 KB");
    EXPECT_EQ(CFileTexts::Size(1048575), "1023 KB");
    EXPECT_EQ(CFileTexts::Size(1048576), "1 MB");
    EXPECT_EQ(CFileTexts::Size(5ull << 30), "5120 MB");
}

TEST(FileTexts, TimesUseTheTwelveHourPattern) {
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(CFileTexts::Time(0), "01/01/70 12:00 AM");
    EXPECT_EQ(CFileTexts::Time(13 * 3600 + 5 * 60), "01/01/70 01:05 PM");
}

} // namespace
