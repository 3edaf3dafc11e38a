#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "browser/core/filehead.h"
#include "browser/core/filetexts.h"
#include "browser/core/folderboxrows.h"
#include "tempdir.h"

namespace {

TEST(FileHead, AFileLongerThanTheHeadGivesItsFirstBytesOnly) {
    CTempDir dir;
    std::string data;
    for (std::size_t i = 0; i < CFileHead::kSize + 100; ++i)
        data += static_cast<char>('a' + i % 26);
    CTempDir::Write(dir / "long", data);
    EXPECT_EQ(CFileHead::Read(dir / "long"), data.substr(0, CFileHead::kSize));
    std::filesystem::create_symlink(dir / "long", dir / "link");
    EXPECT_EQ(CFileHead::Read(dir / "link"), data.substr(0, CFileHead::kSize));
    CTempDir::Write(dir / "empty", "");
    EXPECT_EQ(CFileHead::Read(dir / "empty"), "");
    EXPECT_EQ(CFileHead::Read(dir.path()), "") << "a folder";
}

TEST(FileHead, AFifoIsNeverOpened) {
    CTempDir dir;
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Held open for both ends with bytes waiting, so that a read by mistake returns them instead of
    // waiting for a writer.
    const int fd = open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "waiting", 7), 7);
    EXPECT_EQ(CFileHead::Read(fifo), "");
    char left[8] = {};
    EXPECT_EQ(read(fd, left, sizeof left), 7) << "nothing was taken out of the fifo";
    close(fd);
}

TEST(FileTexts, SizesChangeUnitAtTheBoundariesAndNeverWrap) {
    EXPECT_EQ(CFileTexts::Size(0), "0");
    EXPECT_EQ(CFileTexts::Size(1023), "1023");
    EXPECT_EQ(CFileTexts::Size(1024), "1 KB");
    EXPECT_EQ(CFileTexts::Size(1048575), "1023 KB");
    EXPECT_EQ(CFileTexts::Size(1048576), "1 MB");
    EXPECT_EQ(CFileTexts::Size(5ull << 30), "5120 MB");
}

TEST(FileTexts, TimesUseTheTwelveHourPattern) {
    const char* zone = std::getenv("TZ");
    const std::string before = zone != nullptr ? zone : "";
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(CFileTexts::Time(0), "01/01/70 12:00 AM");
    EXPECT_EQ(CFileTexts::Time(13 * 3600 + 5 * 60), "01/01/70 01:05 PM");
    zone != nullptr ? setenv("TZ", before.c_str(), 1) : unsetenv("TZ");
    tzset();
}

// The chain to a folder three levels below its volume stands right after the volume's row, one level
// deeper each, and ends on the selected target; the walk then goes on with the next volume or node.
TEST(FolderBoxRows, TheChainToTheTargetFollowsItsVolume) {
    CTempDir dir;
    std::filesystem::create_directories(dir / "one/two/three");
    const DCShellItem target(dir / "one/two/three");
    ASSERT_GE(target.GetCount(), 5);
    int selected = -1;
    const std::vector<CFolderBoxRows::Row> rows = CFolderBoxRows::Build(target, selected);
    ASSERT_GE(selected, 0);
    EXPECT_TRUE(*rows[static_cast<std::size_t>(selected)].item == target);
    EXPECT_EQ(rows[0].depth, 0) << "the desktop first";
    int volume = -1;
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        if (rows[static_cast<std::size_t>(i)].depth == 2 &&
            rows[static_cast<std::size_t>(i)].item->CommonPrefixCount(target) == 2) {
            volume = i;
        }
    }
    ASSERT_GE(volume, 0);
    for (int i = volume + 1; i <= selected; ++i) {
        EXPECT_EQ(rows[static_cast<std::size_t>(i)].depth, 2 + i - volume);
    }
    EXPECT_EQ(selected - volume, target.GetCount() - 2);
    if (selected + 1 < static_cast<int>(rows.size())) {
        EXPECT_LE(rows[static_cast<std::size_t>(selected + 1)].depth, 2);
    }
    // Computer, selected, has its volumes right after it and no chain.
    const DCShellItem computer(DCShellItem::kComputerName);
    const std::vector<CFolderBoxRows::Row> top = CFolderBoxRows::Build(computer, selected);
    ASSERT_GE(selected, 0);
    EXPECT_TRUE(top[static_cast<std::size_t>(selected)].item->IsComputer());
    EXPECT_EQ(top[static_cast<std::size_t>(selected)].depth, 1);
    ASSERT_LT(selected + 1, static_cast<int>(top.size()));
    EXPECT_EQ(top[static_cast<std::size_t>(selected + 1)].depth, 2);
    for (const CFolderBoxRows::Row& row : top) {
        EXPECT_LE(row.depth, 2) << "no chain below Computer";
    }
}

} // namespace
